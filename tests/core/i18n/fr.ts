<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>LanguageModel</name>
    <message>
        <source>English</source>
        <translation>Anglais</translation>
    </message>
</context>
</TS>
