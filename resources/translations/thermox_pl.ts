<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>AbstractDialogFrame</name>
    <message>
        <source>Changes will not be saved.
 Are you sure you want to close?</source>
        <translation>Zmiany nie zostaną zapisane.
 Czy na pewno chcesz zamknąć?</translation>
    </message>
</context>
<context>
    <name>AppLocalStorage</name>
    <message>
        <source>Cannot write file: %1</source>
        <translation>Nie można zapisać pliku: %1</translation>
    </message>
    <message>
        <source>Device is incorrect</source>
        <translation>Nieprawidłowe urządzenie</translation>
    </message>
    <message>
        <source>Export file is incorrect.</source>
        <translation>Nieprawidłowy plik eksportu.</translation>
    </message>
    <message>
        <source>Cannot open file to write: %1</source>
        <translation>Nie można otworzyć pliku do zapisu: %1</translation>
    </message>
</context>
<context>
    <name>AppStyle</name>
    <message>
        <source>Device is busy</source>
        <translation>Urządzenie zajęte</translation>
    </message>
    <message>
        <source>The device is busy, try again in a moment.</source>
        <translation>Urządzenie jest zajęte, spróbuj ponownie za chwilę.</translation>
    </message>
    <message>
        <source>The device is connected via a different communication channel or with other Thermox application.</source>
        <translation>Urządzenie jest połączone innym kanałem komunikacji lub z inną aplikacją Thermox.</translation>
    </message>
</context>
<context>
    <name>BellButton</name>
    <message>
        <source>Alarm bell</source>
        <translation>Sygnał alarmu</translation>
    </message>
</context>
<context>
    <name>BleMessageBox</name>
    <message>
        <source>Bluetooth Low Energy will not work on current operation system.</source>
        <translation>Bluetooth Low Energy nie będzie działać w tym systemie operacyjnym.</translation>
    </message>
    <message>
        <source>You are running Microsoft Windows 8.1 (or lower) and it has no official support for Bluetooth Low Energy. To be able to connect to devices via Bluetooth we recommend you to upgrade to newer version of Microsoft Windows (10), with all updates installed.</source>
        <translation>Używasz systemu Microsoft Windows 8.1 (lub starszego), który oficjalnie nie obsługuje Bluetooth Low Energy. Aby łączyć się z urządzeniami przez Bluetooth, zalecamy aktualizację do nowszej wersji systemu Microsoft Windows (10) ze wszystkimi aktualizacjami.</translation>
    </message>
    <message>
        <source>Do not show this message again.</source>
        <translation>Nie pokazuj ponownie tego komunikatu.</translation>
    </message>
</context>
<context>
    <name>ConfirmationWindow</name>
    <message>
        <source>No</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Tak</translation>
    </message>
</context>
<context>
    <name>CrossButton</name>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
</context>
<context>
    <name>DeviceRow</name>
    <message>
        <source>Model:</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>BLE name:</source>
        <translation>Nazwa BLE:</translation>
    </message>
    <message>
        <source>Firmware:</source>
        <translation>Firmware:</translation>
    </message>
    <message>
        <source>Auto start
</source>
        <translation>Autostart
</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>WŁ.</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>WYŁ.</translation>
    </message>
    <message>
        <source>DISCONNECT</source>
        <translation>ROZŁĄCZ</translation>
    </message>
    <message>
        <source>CONNECT</source>
        <translation>POŁĄCZ</translation>
    </message>
    <message>
        <source>EDIT</source>
        <translation>EDYTUJ</translation>
    </message>
    <message>
        <source>DELETE</source>
        <translation>USUŃ</translation>
    </message>
    <message>
        <source>INFO</source>
        <translation>INFO</translation>
    </message>
    <message>
        <source>APPLY</source>
        <translation>ZASTOSUJ</translation>
    </message>
</context>
<context>
    <name>DeviceRowState</name>
    <message>
        <source>Busy</source>
        <translation>Zajęte</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Połączone</translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation>Łączenie…</translation>
    </message>
    <message>
        <source>Plugged in</source>
        <translation>Podłączone</translation>
    </message>
    <message>
        <source>Click icon to connect</source>
        <translation>Kliknij, by połączyć</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Błąd</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Rozłączone</translation>
    </message>
</context>
<context>
    <name>DevicesPage</name>
    <message>
        <source>Warning</source>
        <translation>Ostrzeżenie</translation>
    </message>
    <message>
        <source>Do you want to delete the &apos;%1&apos; device?</source>
        <translation>Czy chcesz usunąć urządzenie „%1”?</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Device details</source>
        <translation>Szczegóły urządzenia</translation>
    </message>
    <message>
        <source>Serial number: %1
BLE id: %2</source>
        <translation>Numer seryjny: %1
Identyfikator BLE: %2</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Urządzenia</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Skanowanie…</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Skanuj</translation>
    </message>
</context>
<context>
    <name>DialogFormattedTimeTextField</name>
    <message>
        <source>hh</source>
        <translation>gg</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>ss</source>
        <translation>ss</translation>
    </message>
</context>
<context>
    <name>DialogSlider</name>
    <message>
        <source> min</source>
        <translation> min</translation>
    </message>
</context>
<context>
    <name>DialogTempTextField</name>
    <message>
        <source>Temp</source>
        <translation>Temp.</translation>
    </message>
</context>
<context>
    <name>DialogTextField</name>
    <message>
        <source>Protocol name</source>
        <translation>Nazwa protokołu</translation>
    </message>
</context>
<context>
    <name>DialogTimeTextField</name>
    <message>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
</context>
<context>
    <name>EditorStepDelegate</name>
    <message>
        <source>STEP </source>
        <translation>KROK </translation>
    </message>
</context>
<context>
    <name>FlexDialog</name>
    <message>
        <source>New Flex protocol</source>
        <translation>Nowy protokół Flex</translation>
    </message>
    <message>
        <source>Edit Flex protocol</source>
        <translation>Edycja protokołu Flex</translation>
    </message>
    <message>
        <source>Heated lid</source>
        <translation>Podgrzewana pokrywa</translation>
    </message>
    <message>
        <source>Final cooling</source>
        <translation>Końcowe chłodzenie</translation>
    </message>
    <message>
        <source>Add step:</source>
        <translation>Dodaj krok:</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this step?</source>
        <translation>Czy na pewno chcesz usunąć ten krok?</translation>
    </message>
</context>
<context>
    <name>HeatBlockDialog</name>
    <message>
        <source>New Heat Block protocol</source>
        <translation>Nowy protokół bloku grzejnego</translation>
    </message>
    <message>
        <source>Edit Heat Block protocol</source>
        <translation>Edycja protokołu bloku grzejnego</translation>
    </message>
</context>
<context>
    <name>HeatBlockStepView</name>
    <message>
        <source>Heated lid</source>
        <translation>Podgrzewana pokrywa</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
</context>
<context>
    <name>InfoDialog</name>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Informacja</translation>
    </message>
</context>
<context>
    <name>LanguageModel</name>
    <message>
        <source>Auto</source>
        <translation>Automatycznie</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Angielski</translation>
    </message>
    <message>
        <source>French</source>
        <translation>Francuski</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Język</translation>
    </message>
    <message>
        <source>Language will be changed to &lt;b&gt;%1&lt;/b&gt; with next application restart</source>
        <translation>Język zostanie zmieniony przy następnym uruchomieniu aplikacji na: &lt;b&gt;%1&lt;/b&gt;</translation>
    </message>
</context>
<context>
    <name>LanguageSelectWindow</name>
    <message>
        <source>Language</source>
        <translation>Język</translation>
    </message>
    <message>
        <source>Select your language:</source>
        <translation>Wybierz język:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>LibraryAddMenu</name>
    <message>
        <source>PCR</source>
        <translation>PCR</translation>
    </message>
    <message>
        <source>Heat Block</source>
        <translation>Blok grzejny</translation>
    </message>
    <message>
        <source>Linear Ramp</source>
        <translation>Rampa liniowa</translation>
    </message>
    <message>
        <source>Flex</source>
        <translation>Flex</translation>
    </message>
    <message>
        <source>Add protocol</source>
        <translation>Dodaj protokół</translation>
    </message>
</context>
<context>
    <name>LibraryPage</name>
    <message>
        <source>Most used</source>
        <translation>Popularne</translation>
    </message>
    <message>
        <source>A-Z</source>
        <translation>A-Z</translation>
    </message>
    <message>
        <source>Recent</source>
        <translation>Ostatnie</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Ulubione</translation>
    </message>
    <message>
        <source>Library</source>
        <translation>Biblioteka</translation>
    </message>
    <message>
        <source>THERE ARE NO PROTOCOLS IN THE LIBRARY.</source>
        <translation>BRAK PROTOKOŁÓW W BIBLIOTECE.</translation>
    </message>
</context>
<context>
    <name>LibraryRow</name>
    <message>
        <source>Running</source>
        <translation>W toku</translation>
    </message>
    <message>
        <source>FLEX</source>
        <translation>FLEX</translation>
    </message>
    <message>
        <source>vela16</source>
        <translation>vela16</translation>
    </message>
    <message>
        <source>RUN</source>
        <translation>URUCHOM</translation>
    </message>
    <message>
        <source>EDIT</source>
        <translation>EDYTUJ</translation>
    </message>
    <message>
        <source>COPY</source>
        <translation>KOPIUJ</translation>
    </message>
    <message>
        <source>DELETE</source>
        <translation>USUŃ</translation>
    </message>
</context>
<context>
    <name>LibrarySortSelector</name>
    <message>
        <source>Sort by: </source>
        <translation>Sortuj według: </translation>
    </message>
</context>
<context>
    <name>LinearRampDialog</name>
    <message>
        <source>New Linear Ramp protocol</source>
        <translation>Nowy protokół rampy liniowej</translation>
    </message>
    <message>
        <source>Edit Linear Ramp protocol</source>
        <translation>Edycja protokołu rampy liniowej</translation>
    </message>
</context>
<context>
    <name>LinearRampStepView</name>
    <message>
        <source>Start temp</source>
        <translation>Temp. początkowa</translation>
    </message>
    <message>
        <source>End temp</source>
        <translation>Temp. końcowa</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
</context>
<context>
    <name>LongProtocolWarning</name>
    <message>
        <source>The vela8 devices don&apos;t support this protocol. The maximum time allowed for vela8 protocol is 546 minutes - to run this protocol on vela8, the protocol must be adapted.
Do you want to continue?</source>
        <translation>Urządzenia vela8 nie obsługują tego protokołu. Maksymalny czas protokołu dla vela8 to 546 minut – aby uruchomić ten protokół na vela8, trzeba go dostosować.
Czy chcesz kontynuować?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Kontynuuj</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Library</source>
        <translation>Biblioteka</translation>
    </message>
    <message>
        <source>Now running</source>
        <translation>W toku</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Urządzenia</translation>
    </message>
</context>
<context>
    <name>OkWindow</name>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>OptionButton</name>
    <message>
        <source>Options</source>
        <translation>Opcje</translation>
    </message>
</context>
<context>
    <name>PCRConst</name>
    <message>
        <source>PCR</source>
        <translation>PCR</translation>
    </message>
    <message>
        <source>Heat Block</source>
        <translation>Blok grzejny</translation>
    </message>
    <message>
        <source>Linear Ramp</source>
        <translation>Rampa liniowa</translation>
    </message>
    <message>
        <source>Flex</source>
        <translation>Flex</translation>
    </message>
    <message>
        <source>Touchdown</source>
        <translation>Touchdown</translation>
    </message>
</context>
<context>
    <name>PageMenu</name>
    <message>
        <source>Import protocol library</source>
        <translation>Importuj bibliotekę</translation>
    </message>
    <message>
        <source>Export protocol library</source>
        <translation>Eksportuj bibliotekę</translation>
    </message>
    <message>
        <source>Share protocol library</source>
        <translation>Udostępnij bibliotekę</translation>
    </message>
    <message>
        <source>Export run data</source>
        <translation>Eksportuj dane przebiegu</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Język</translation>
    </message>
    <message>
        <source>Version %1:%2</source>
        <translation>Wersja %1:%2</translation>
    </message>
</context>
<context>
    <name>PcrCore</name>
    <message>
        <source>Protocol cannot be deleted</source>
        <translation>Nie można usunąć protokołu</translation>
    </message>
    <message>
        <source>Protocol is now running. Please stop protocol before deleting.</source>
        <translation>Protokół jest w toku. Zatrzymaj go przed usunięciem.</translation>
    </message>
    <message>
        <source>Device not connected</source>
        <translation>Urządzenie niepodłączone</translation>
    </message>
    <message>
        <source>The chosen device is not connected. Connect it and try again.</source>
        <translation>Wybrane urządzenie nie jest podłączone. Podłącz je i spróbuj ponownie.</translation>
    </message>
    <message>
        <source>Protocol not compatible with vela8</source>
        <translation>Protokół niezgodny z vela8</translation>
    </message>
    <message>
        <source>Sorry but your vela8 is not compatible with Flex protocols.</source>
        <translation>Niestety Twój vela8 nie obsługuje protokołów Flex.</translation>
    </message>
    <message>
        <source>Do you want to restart the current protocol &quot;%1&quot;?</source>
        <translation>Czy chcesz ponownie uruchomić bieżący protokół „%1”?</translation>
    </message>
    <message>
        <source>Do you want to stop the current protocol &quot;%1&quot; and start the new protocol &quot;%2&quot;?</source>
        <translation>Czy chcesz zatrzymać bieżący protokół „%1” i uruchomić nowy protokół „%2”?</translation>
    </message>
    <message>
        <source>%1 is running</source>
        <translation>%1 pracuje</translation>
    </message>
    <message>
        <source>The %1 device cannot run touchdown protocols.</source>
        <translation>Urządzenie %1 nie obsługuje protokołów touchdown.</translation>
    </message>
    <message>
        <source>Protocol parsing issue</source>
        <translation>Problem z odczytem protokołu</translation>
    </message>
    <message>
        <source>It is not possible to read a protocol from the %1 device - please run a new protocol.</source>
        <translation>Nie można odczytać protokołu z urządzenia %1 – uruchom nowy protokół.</translation>
    </message>
    <message>
        <source>Protocol cannot be removed</source>
        <translation>Nie można zamknąć protokołu</translation>
    </message>
    <message>
        <source>Device is not powered. Device must be disconnected or protocol must be stopped before closing tab.</source>
        <translation>Urządzenie nie jest zasilane. Przed zamknięciem karty odłącz urządzenie lub zatrzymaj protokół.</translation>
    </message>
    <message>
        <source>Protocol is now running. Protocol must be stopped before closing tab.</source>
        <translation>Protokół jest w toku. Zatrzymaj go przed zamknięciem karty.</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Eksport nie powiódł się</translation>
    </message>
    <message>
        <source>Invalid device id.</source>
        <translation>Nieprawidłowy identyfikator urządzenia.</translation>
    </message>
    <message>
        <source>Export run data failed.</source>
        <translation>Eksport danych przebiegu nie powiódł się.</translation>
    </message>
    <message>
        <source>Device unavailable</source>
        <translation>Urządzenie niedostępne</translation>
    </message>
    <message>
        <source>Connect to device failed. Please check in system settings if bluetooth is on and if device is paired and powered.</source>
        <translation>Nie udało się połączyć z urządzeniem. Sprawdź w ustawieniach systemu, czy Bluetooth jest włączony, a urządzenie sparowane i zasilane.</translation>
    </message>
    <message>
        <source>Protocol not sent</source>
        <translation>Protokół nie został wysłany</translation>
    </message>
    <message>
        <source>Due to connection problem, previously chosen protocol was not sent to the device. Application will show protocol currently running on the device.</source>
        <translation>Z powodu problemu z połączeniem wybrany wcześniej protokół nie został wysłany do urządzenia. Aplikacja pokaże protokół wykonywany obecnie na urządzeniu.</translation>
    </message>
</context>
<context>
    <name>PcrDialog</name>
    <message>
        <source>New PCR protocol</source>
        <translation>Nowy protokół PCR</translation>
    </message>
    <message>
        <source>Edit PCR protocol</source>
        <translation>Edycja protokołu PCR</translation>
    </message>
</context>
<context>
    <name>PcrStepView</name>
    <message>
        <source>Heated lid</source>
        <translation>Podgrzewana pokrywa</translation>
    </message>
    <message>
        <source>Initial denaturation</source>
        <translation>Wstępna denaturacja</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Denaturacja</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Przyłączanie starterów</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Wydłużanie</translation>
    </message>
    <message>
        <source>Final extension</source>
        <translation>Końcowe wydłużanie</translation>
    </message>
    <message>
        <source>Number of cycles </source>
        <translation>Liczba cykli </translation>
    </message>
</context>
<context>
    <name>Program</name>
    <message>
        <source>On</source>
        <translation>Wł.</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Wył.</translation>
    </message>
    <message>
        <source>Final cooling</source>
        <translation>Końcowe chłodzenie</translation>
    </message>
    <message>
        <source>Heated lid</source>
        <translation>Podgrzewana pokrywa</translation>
    </message>
    <message>
        <source>Step %1:</source>
        <translation>Krok %1:</translation>
    </message>
    <message>
        <source>Initial denaturation</source>
        <translation>Wstępna denaturacja</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Denaturacja</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Przyłączanie starterów</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Wydłużanie</translation>
    </message>
    <message>
        <source>Number of cycles</source>
        <translation>Liczba cykli</translation>
    </message>
    <message>
        <source>Final extension</source>
        <translation>Końcowe wydłużanie</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperatura</translation>
    </message>
    <message>
        <source>Start temperature</source>
        <translation>Temperatura początkowa</translation>
    </message>
    <message>
        <source>Final temperature</source>
        <translation>Temperatura końcowa</translation>
    </message>
    <message>
        <source>Annealing end</source>
        <translation>Koniec przyłączania</translation>
    </message>
    <message>
        <source>Extension end</source>
        <translation>Koniec wydłużania</translation>
    </message>
</context>
<context>
    <name>ProgramExporter</name>
    <message>
        <source>Invalid Step Type in YAML parser</source>
        <translation>Nieprawidłowy typ kroku w parserze YAML</translation>
    </message>
</context>
<context>
    <name>PropertyModel</name>
    <message>
        <source>s</source>
        <translation>s</translation>
    </message>
    <message>
        <source>h </source>
        <translation>h </translation>
    </message>
    <message>
        <source>m </source>
        <translation>min </translation>
    </message>
</context>
<context>
    <name>ProtocolEditorFrame</name>
    <message>
        <source>At least one step must be added.</source>
        <translation>Należy dodać co najmniej jeden krok.</translation>
    </message>
    <message>
        <source>Temperatures below 25 %1 cannot be programmed.</source>
        <translation>Nie można zaprogramować temperatury poniżej 25 %1.</translation>
    </message>
    <message>
        <source>The form is filled incorrectly. Please correct the highlighted fields.</source>
        <translation>Formularz wypełniono niepoprawnie. Popraw wyróżnione pola.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Zapisz</translation>
    </message>
    <message>
        <source>Save and run</source>
        <translation>Zapisz i uruchom</translation>
    </message>
</context>
<context>
    <name>ProtocolsModel</name>
    <message>
        <source>New Protocol</source>
        <translation>Nowy protokół</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Paused</source>
        <translation>Wstrzymane</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>W toku</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Zatrzymane</translation>
    </message>
    <message>
        <source>Heating lid</source>
        <translation>Grzanie pokrywy</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Resetowanie</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Zakończone</translation>
    </message>
    <message>
        <source>No power</source>
        <translation>Brak zasilania</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Rozłączone</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Wczytywanie</translation>
    </message>
    <message>
        <source>Initial denaturation</source>
        <translation>Wstępna denaturacja</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Denaturacja</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Przyłączanie starterów</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Wydłużanie</translation>
    </message>
    <message>
        <source>Cycle</source>
        <translation>Cykl</translation>
    </message>
    <message>
        <source>Final extension</source>
        <translation>Końcowe wydłużanie</translation>
    </message>
    <message>
        <source>Cool down</source>
        <translation>Chłodzenie</translation>
    </message>
</context>
<context>
    <name>QuestionDialog</name>
    <message>
        <source>No</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>Yes to All</source>
        <translation>Tak dla wszystkich</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Tak</translation>
    </message>
</context>
<context>
    <name>RunDialog</name>
    <message>
        <source>Select PCR machine</source>
        <translation>Wybierz termocykler</translation>
    </message>
    <message>
        <source>No PCR machine connected</source>
        <translation>Brak podłączonego termocyklera</translation>
    </message>
    <message>
        <source>Please connect a Thermox machine
 and press Run</source>
        <translation>Podłącz urządzenie Thermox
 i naciśnij Uruchom</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Wyślij</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Uruchom</translation>
    </message>
</context>
<context>
    <name>RunDnaChart</name>
    <message>
        <source>DNA copies </source>
        <translation>Kopie DNA </translation>
    </message>
    <message>
        <source>Cycle No. </source>
        <translation>Cykl nr </translation>
    </message>
</context>
<context>
    <name>RunTempChart</name>
    <message>
        <source>Sample temp: </source>
        <translation>Temp. próbki: </translation>
    </message>
    <message>
        <source>Lid temp: </source>
        <translation>Temp. pokrywy: </translation>
    </message>
    <message>
        <source>LID HOT</source>
        <translation>GORĄCA POKRYWA</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
</context>
<context>
    <name>RunningInfo</name>
    <message>
        <source>Info</source>
        <translation>Informacja</translation>
    </message>
    <message>
        <source>Protocol name: </source>
        <translation>Nazwa protokołu: </translation>
    </message>
</context>
<context>
    <name>RunningStatus</name>
    <message>
        <source>Pause</source>
        <translation>Wstrzymaj</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Uruchom</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Uruchom ponownie</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
</context>
<context>
    <name>RunningStepInfo</name>
    <message>
        <source>Step %1: %2</source>
        <translation>Krok %1: %2</translation>
    </message>
    <message>
        <source>Cycle: </source>
        <translation>Cykl: </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 z %2</translation>
    </message>
    <message>
        <source>Step: </source>
        <translation>Krok: </translation>
    </message>
    <message>
        <source>Step time: </source>
        <translation>Czas kroku: </translation>
    </message>
    <message>
        <source>Total time: </source>
        <translation>Czas całkowity: </translation>
    </message>
</context>
<context>
    <name>StarButton</name>
    <message>
        <source>Favourite</source>
        <translation>Ulubiony</translation>
    </message>
</context>
<context>
    <name>TouchdownStepView</name>
    <message>
        <source>Temperature</source>
        <translation>Temperatura</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Czas</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Denaturacja</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Przyłączanie starterów</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Początek</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Koniec</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Wydłużanie</translation>
    </message>
    <message>
        <source>Number of cycles </source>
        <translation>Liczba cykli </translation>
    </message>
</context>
<context>
    <name>WaitDialog</name>
    <message>
        <source>Loading...</source>
        <translation>Wczytywanie…</translation>
    </message>
</context>
<context>
    <name>WarningWindow</name>
    <message>
        <source>Warning</source>
        <translation>Ostrzeżenie</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Choose file(s) to import</source>
        <translation>Wybierz pliki do zaimportowania</translation>
    </message>
    <message>
        <source>Library files (*.plf *.plfx)</source>
        <translation>Pliki biblioteki (*.plf *.plfx)</translation>
    </message>
    <message>
        <source>Choose file to export to</source>
        <translation>Wybierz plik eksportu</translation>
    </message>
    <message>
        <source>Csv file (*.csv)</source>
        <translation>Plik CSV (*.csv)</translation>
    </message>
</context>
</TS>
