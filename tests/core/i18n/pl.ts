<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>LanguageModel</name>
    <message>
        <source>English</source>
        <translation>Angielski</translation>
    </message>
</context>
</TS>
