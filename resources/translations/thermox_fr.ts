<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AbstractDialogFrame</name>
    <message>
        <source>Changes will not be saved.
 Are you sure you want to close?</source>
        <translation>Les modifications ne seront pas enregistrées.
 Voulez-vous vraiment fermer&#xa0;?</translation>
    </message>
</context>
<context>
    <name>AppLocalStorage</name>
    <message>
        <source>Cannot write file: %1</source>
        <translation>Impossible d&apos;écrire le fichier&#xa0;: %1</translation>
    </message>
    <message>
        <source>Device is incorrect</source>
        <translation>Appareil incorrect</translation>
    </message>
    <message>
        <source>Export file is incorrect.</source>
        <translation>Le fichier d&apos;export est incorrect.</translation>
    </message>
    <message>
        <source>Cannot open file to write: %1</source>
        <translation>Impossible d&apos;ouvrir le fichier en écriture&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>AppStyle</name>
    <message>
        <source>Device is busy</source>
        <translation>Appareil occupé</translation>
    </message>
    <message>
        <source>The device is busy, try again in a moment.</source>
        <translation>L&apos;appareil est occupé, réessayez dans un instant.</translation>
    </message>
    <message>
        <source>The device is connected via a different communication channel or with other Thermox application.</source>
        <translation>L&apos;appareil est connecté par un autre canal de communication ou à une autre application Thermox.</translation>
    </message>
</context>
<context>
    <name>BellButton</name>
    <message>
        <source>Alarm bell</source>
        <translation>Alarme sonore</translation>
    </message>
</context>
<context>
    <name>BleMessageBox</name>
    <message>
        <source>Bluetooth Low Energy will not work on current operation system.</source>
        <translation>Le Bluetooth Low Energy ne fonctionnera pas sur ce système d&apos;exploitation.</translation>
    </message>
    <message>
        <source>You are running Microsoft Windows 8.1 (or lower) and it has no official support for Bluetooth Low Energy. To be able to connect to devices via Bluetooth we recommend you to upgrade to newer version of Microsoft Windows (10), with all updates installed.</source>
        <translation>Vous utilisez Microsoft Windows 8.1 (ou une version antérieure), qui ne prend pas officiellement en charge le Bluetooth Low Energy. Pour vous connecter aux appareils en Bluetooth, nous vous recommandons de passer à une version plus récente de Microsoft Windows (10), avec toutes les mises à jour installées.</translation>
    </message>
    <message>
        <source>Do not show this message again.</source>
        <translation>Ne plus afficher ce message.</translation>
    </message>
</context>
<context>
    <name>ConfirmationWindow</name>
    <message>
        <source>No</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Oui</translation>
    </message>
</context>
<context>
    <name>CrossButton</name>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>DeviceRow</name>
    <message>
        <source>Model:</source>
        <translation>Modèle&#xa0;:</translation>
    </message>
    <message>
        <source>BLE name:</source>
        <translation>Nom BLE&#xa0;:</translation>
    </message>
    <message>
        <source>Firmware:</source>
        <translation>Firmware&#xa0;:</translation>
    </message>
    <message>
        <source>Auto start
</source>
        <translation>Démarrage auto
</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>OUI</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>NON</translation>
    </message>
    <message>
        <source>DISCONNECT</source>
        <translation>DÉCONNECTER</translation>
    </message>
    <message>
        <source>CONNECT</source>
        <translation>CONNECTER</translation>
    </message>
    <message>
        <source>EDIT</source>
        <translation>MODIFIER</translation>
    </message>
    <message>
        <source>DELETE</source>
        <translation>SUPPRIMER</translation>
    </message>
    <message>
        <source>INFO</source>
        <translation>INFO</translation>
    </message>
    <message>
        <source>APPLY</source>
        <translation>APPLIQUER</translation>
    </message>
</context>
<context>
    <name>DeviceRowState</name>
    <message>
        <source>Busy</source>
        <translation>Occupé</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Connecté</translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation>Connexion…</translation>
    </message>
    <message>
        <source>Plugged in</source>
        <translation>Branché</translation>
    </message>
    <message>
        <source>Click icon to connect</source>
        <translation>Cliquez pour connecter</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Hors ligne</translation>
    </message>
</context>
<context>
    <name>DevicesPage</name>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>Do you want to delete the &apos;%1&apos; device?</source>
        <translation>Voulez-vous supprimer l&apos;appareil «&#xa0;%1&#xa0;»&#xa0;?</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Device details</source>
        <translation>Détails de l&apos;appareil</translation>
    </message>
    <message>
        <source>Serial number: %1
BLE id: %2</source>
        <translation>Numéro de série&#xa0;: %1
Identifiant BLE&#xa0;: %2</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Appareils</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Recherche…</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Rechercher</translation>
    </message>
</context>
<context>
    <name>DialogFormattedTimeTextField</name>
    <message>
        <source>hh</source>
        <translation>hh</translation>
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
        <translation>Nom du protocole</translation>
    </message>
</context>
<context>
    <name>DialogTimeTextField</name>
    <message>
        <source>Time</source>
        <translation>Durée</translation>
    </message>
</context>
<context>
    <name>EditorStepDelegate</name>
    <message>
        <source>STEP </source>
        <translation>ÉTAPE </translation>
    </message>
</context>
<context>
    <name>FlexDialog</name>
    <message>
        <source>New Flex protocol</source>
        <translation>Nouveau protocole Flex</translation>
    </message>
    <message>
        <source>Edit Flex protocol</source>
        <translation>Modifier le protocole Flex</translation>
    </message>
    <message>
        <source>Heated lid</source>
        <translation>Couvercle chauffant</translation>
    </message>
    <message>
        <source>Final cooling</source>
        <translation>Refroidissement final</translation>
    </message>
    <message>
        <source>Add step:</source>
        <translation>Ajouter une étape&#xa0;:</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this step?</source>
        <translation>Voulez-vous vraiment supprimer cette étape&#xa0;?</translation>
    </message>
</context>
<context>
    <name>HeatBlockDialog</name>
    <message>
        <source>New Heat Block protocol</source>
        <translation>Nouveau protocole bloc chauffant</translation>
    </message>
    <message>
        <source>Edit Heat Block protocol</source>
        <translation>Modifier le protocole bloc chauffant</translation>
    </message>
</context>
<context>
    <name>HeatBlockStepView</name>
    <message>
        <source>Heated lid</source>
        <translation>Couvercle chauffant</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Durée</translation>
    </message>
</context>
<context>
    <name>InfoDialog</name>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
</context>
<context>
    <name>LanguageModel</name>
    <message>
        <source>Auto</source>
        <translation>Automatique</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Anglais</translation>
    </message>
    <message>
        <source>French</source>
        <translation>Français</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <source>Language will be changed to &lt;b&gt;%1&lt;/b&gt; with next application restart</source>
        <translation>La langue passera à &lt;b&gt;%1&lt;/b&gt; au prochain démarrage de l&apos;application</translation>
    </message>
</context>
<context>
    <name>LanguageSelectWindow</name>
    <message>
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <source>Select your language:</source>
        <translation>Choisissez votre langue&#xa0;:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
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
        <translation>Bloc chauffant</translation>
    </message>
    <message>
        <source>Linear Ramp</source>
        <translation>Rampe linéaire</translation>
    </message>
    <message>
        <source>Flex</source>
        <translation>Flex</translation>
    </message>
    <message>
        <source>Add protocol</source>
        <translation>Ajouter un protocole</translation>
    </message>
</context>
<context>
    <name>LibraryPage</name>
    <message>
        <source>Most used</source>
        <translation>Plus utilisés</translation>
    </message>
    <message>
        <source>A-Z</source>
        <translation>A-Z</translation>
    </message>
    <message>
        <source>Recent</source>
        <translation>Récents</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Favoris</translation>
    </message>
    <message>
        <source>Library</source>
        <translation>Bibliothèque</translation>
    </message>
    <message>
        <source>THERE ARE NO PROTOCOLS IN THE LIBRARY.</source>
        <translation>LA BIBLIOTHÈQUE NE CONTIENT AUCUN PROTOCOLE.</translation>
    </message>
</context>
<context>
    <name>LibraryRow</name>
    <message>
        <source>Running</source>
        <translation>En cours</translation>
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
        <translation>LANCER</translation>
    </message>
    <message>
        <source>EDIT</source>
        <translation>MODIFIER</translation>
    </message>
    <message>
        <source>COPY</source>
        <translation>COPIER</translation>
    </message>
    <message>
        <source>DELETE</source>
        <translation>SUPPRIMER</translation>
    </message>
</context>
<context>
    <name>LibrarySortSelector</name>
    <message>
        <source>Sort by: </source>
        <translation>Trier par&#xa0;: </translation>
    </message>
</context>
<context>
    <name>LinearRampDialog</name>
    <message>
        <source>New Linear Ramp protocol</source>
        <translation>Nouveau protocole rampe linéaire</translation>
    </message>
    <message>
        <source>Edit Linear Ramp protocol</source>
        <translation>Modifier le protocole rampe linéaire</translation>
    </message>
</context>
<context>
    <name>LinearRampStepView</name>
    <message>
        <source>Start temp</source>
        <translation>Temp. initiale</translation>
    </message>
    <message>
        <source>End temp</source>
        <translation>Temp. finale</translation>
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
        <translation>Les appareils vela8 ne prennent pas en charge ce protocole. La durée maximale d&apos;un protocole vela8 est de 546 minutes&#xa0;: pour l&apos;exécuter sur un vela8, il faut l&apos;adapter.
Voulez-vous continuer&#xa0;?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continuer</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>Library</source>
        <translation>Bibliothèque</translation>
    </message>
    <message>
        <source>Now running</source>
        <translation>En cours</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Appareils</translation>
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
        <translation>Options</translation>
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
        <translation>Bloc chauffant</translation>
    </message>
    <message>
        <source>Linear Ramp</source>
        <translation>Rampe linéaire</translation>
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
        <translation>Importer une bibliothèque</translation>
    </message>
    <message>
        <source>Export protocol library</source>
        <translation>Exporter la bibliothèque</translation>
    </message>
    <message>
        <source>Share protocol library</source>
        <translation>Partager la bibliothèque</translation>
    </message>
    <message>
        <source>Export run data</source>
        <translation>Exporter les données d&apos;exécution</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <source>Version %1:%2</source>
        <translation>Version %1:%2</translation>
    </message>
</context>
<context>
    <name>PcrCore</name>
    <message>
        <source>Protocol cannot be deleted</source>
        <translation>Impossible de supprimer le protocole</translation>
    </message>
    <message>
        <source>Protocol is now running. Please stop protocol before deleting.</source>
        <translation>Le protocole est en cours d&apos;exécution. Arrêtez-le avant de le supprimer.</translation>
    </message>
    <message>
        <source>Device not connected</source>
        <translation>Appareil non connecté</translation>
    </message>
    <message>
        <source>The chosen device is not connected. Connect it and try again.</source>
        <translation>L&apos;appareil choisi n&apos;est pas connecté. Connectez-le et réessayez.</translation>
    </message>
    <message>
        <source>Protocol not compatible with vela8</source>
        <translation>Protocole incompatible avec le vela8</translation>
    </message>
    <message>
        <source>Sorry but your vela8 is not compatible with Flex protocols.</source>
        <translation>Désolé, votre vela8 n&apos;est pas compatible avec les protocoles Flex.</translation>
    </message>
    <message>
        <source>Do you want to restart the current protocol &quot;%1&quot;?</source>
        <translation>Voulez-vous relancer le protocole en cours «&#xa0;%1&#xa0;»&#xa0;?</translation>
    </message>
    <message>
        <source>Do you want to stop the current protocol &quot;%1&quot; and start the new protocol &quot;%2&quot;?</source>
        <translation>Voulez-vous arrêter le protocole en cours «&#xa0;%1&#xa0;» et lancer le nouveau protocole «&#xa0;%2&#xa0;»&#xa0;?</translation>
    </message>
    <message>
        <source>%1 is running</source>
        <translation>%1 est en cours d&apos;exécution</translation>
    </message>
    <message>
        <source>The %1 device cannot run touchdown protocols.</source>
        <translation>L&apos;appareil %1 ne peut pas exécuter de protocoles touchdown.</translation>
    </message>
    <message>
        <source>Protocol parsing issue</source>
        <translation>Problème de lecture du protocole</translation>
    </message>
    <message>
        <source>It is not possible to read a protocol from the %1 device - please run a new protocol.</source>
        <translation>Impossible de lire le protocole de l&apos;appareil %1&#xa0;: veuillez lancer un nouveau protocole.</translation>
    </message>
    <message>
        <source>Protocol cannot be removed</source>
        <translation>Impossible de retirer le protocole</translation>
    </message>
    <message>
        <source>Device is not powered. Device must be disconnected or protocol must be stopped before closing tab.</source>
        <translation>L&apos;appareil n&apos;est pas alimenté. Déconnectez l&apos;appareil ou arrêtez le protocole avant de fermer l&apos;onglet.</translation>
    </message>
    <message>
        <source>Protocol is now running. Protocol must be stopped before closing tab.</source>
        <translation>Le protocole est en cours d&apos;exécution. Arrêtez-le avant de fermer l&apos;onglet.</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Échec de l&apos;export</translation>
    </message>
    <message>
        <source>Invalid device id.</source>
        <translation>Identifiant d&apos;appareil invalide.</translation>
    </message>
    <message>
        <source>Export run data failed.</source>
        <translation>Échec de l&apos;export des données d&apos;exécution.</translation>
    </message>
    <message>
        <source>Device unavailable</source>
        <translation>Appareil indisponible</translation>
    </message>
    <message>
        <source>Connect to device failed. Please check in system settings if bluetooth is on and if device is paired and powered.</source>
        <translation>La connexion à l&apos;appareil a échoué. Vérifiez dans les paramètres du système que le Bluetooth est activé et que l&apos;appareil est appairé et sous tension.</translation>
    </message>
    <message>
        <source>Protocol not sent</source>
        <translation>Protocole non envoyé</translation>
    </message>
    <message>
        <source>Due to connection problem, previously chosen protocol was not sent to the device. Application will show protocol currently running on the device.</source>
        <translation>En raison d&apos;un problème de connexion, le protocole choisi n&apos;a pas été envoyé à l&apos;appareil. L&apos;application affichera le protocole en cours sur l&apos;appareil.</translation>
    </message>
</context>
<context>
    <name>PcrDialog</name>
    <message>
        <source>New PCR protocol</source>
        <translation>Nouveau protocole PCR</translation>
    </message>
    <message>
        <source>Edit PCR protocol</source>
        <translation>Modifier le protocole PCR</translation>
    </message>
</context>
<context>
    <name>PcrStepView</name>
    <message>
        <source>Heated lid</source>
        <translation>Couvercle chauffant</translation>
    </message>
    <message>
        <source>Initial denaturation</source>
        <translation>Dénaturation initiale</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Dénaturation</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Hybridation</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Élongation</translation>
    </message>
    <message>
        <source>Final extension</source>
        <translation>Élongation finale</translation>
    </message>
    <message>
        <source>Number of cycles </source>
        <translation>Nombre de cycles </translation>
    </message>
</context>
<context>
    <name>Program</name>
    <message>
        <source>On</source>
        <translation>Activé</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivé</translation>
    </message>
    <message>
        <source>Final cooling</source>
        <translation>Refroidissement final</translation>
    </message>
    <message>
        <source>Heated lid</source>
        <translation>Couvercle chauffant</translation>
    </message>
    <message>
        <source>Step %1:</source>
        <translation>Étape %1&#xa0;:</translation>
    </message>
    <message>
        <source>Initial denaturation</source>
        <translation>Dénaturation initiale</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Dénaturation</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Hybridation</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Élongation</translation>
    </message>
    <message>
        <source>Number of cycles</source>
        <translation>Nombre de cycles</translation>
    </message>
    <message>
        <source>Final extension</source>
        <translation>Élongation finale</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Température</translation>
    </message>
    <message>
        <source>Start temperature</source>
        <translation>Température initiale</translation>
    </message>
    <message>
        <source>Final temperature</source>
        <translation>Température finale</translation>
    </message>
    <message>
        <source>Annealing end</source>
        <translation>Fin d&apos;hybridation</translation>
    </message>
    <message>
        <source>Extension end</source>
        <translation>Fin d&apos;élongation</translation>
    </message>
</context>
<context>
    <name>ProgramExporter</name>
    <message>
        <source>Invalid Step Type in YAML parser</source>
        <translation>Type d&apos;étape invalide dans l&apos;analyseur YAML</translation>
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
        <translation>Ajoutez au moins une étape.</translation>
    </message>
    <message>
        <source>Temperatures below 25 %1 cannot be programmed.</source>
        <translation>Les températures inférieures à 25 %1 ne peuvent pas être programmées.</translation>
    </message>
    <message>
        <source>The form is filled incorrectly. Please correct the highlighted fields.</source>
        <translation>Le formulaire est mal rempli. Corrigez les champs en surbrillance.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Save and run</source>
        <translation>Enregistrer et lancer</translation>
    </message>
</context>
<context>
    <name>ProtocolsModel</name>
    <message>
        <source>New Protocol</source>
        <translation>Nouveau protocole</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Paused</source>
        <translation>En pause</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>En cours</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Arrêté</translation>
    </message>
    <message>
        <source>Heating lid</source>
        <translation>Chauffe du couvercle</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Réinitialisation</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>No power</source>
        <translation>Hors tension</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Hors ligne</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Chargement</translation>
    </message>
    <message>
        <source>Initial denaturation</source>
        <translation>Dénaturation initiale</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Dénaturation</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Hybridation</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Élongation</translation>
    </message>
    <message>
        <source>Cycle</source>
        <translation>Cycle</translation>
    </message>
    <message>
        <source>Final extension</source>
        <translation>Élongation finale</translation>
    </message>
    <message>
        <source>Cool down</source>
        <translation>Refroidissement</translation>
    </message>
</context>
<context>
    <name>QuestionDialog</name>
    <message>
        <source>No</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Yes to All</source>
        <translation>Oui pour tous</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Oui</translation>
    </message>
</context>
<context>
    <name>RunDialog</name>
    <message>
        <source>Select PCR machine</source>
        <translation>Choisir le thermocycleur</translation>
    </message>
    <message>
        <source>No PCR machine connected</source>
        <translation>Aucun thermocycleur connecté</translation>
    </message>
    <message>
        <source>Please connect a Thermox machine
 and press Run</source>
        <translation>Veuillez connecter un appareil Thermox
 et appuyer sur Lancer</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Envoyer</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Lancer</translation>
    </message>
</context>
<context>
    <name>RunDnaChart</name>
    <message>
        <source>DNA copies </source>
        <translation>Copies d&apos;ADN </translation>
    </message>
    <message>
        <source>Cycle No. </source>
        <translation>Cycle n°&#xa0;</translation>
    </message>
</context>
<context>
    <name>RunTempChart</name>
    <message>
        <source>Sample temp: </source>
        <translation>Temp. échantillon&#xa0;: </translation>
    </message>
    <message>
        <source>Lid temp: </source>
        <translation>Temp. couvercle&#xa0;: </translation>
    </message>
    <message>
        <source>LID HOT</source>
        <translation>COUVERCLE CHAUD</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Temps</translation>
    </message>
</context>
<context>
    <name>RunningInfo</name>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Protocol name: </source>
        <translation>Nom du protocole&#xa0;: </translation>
    </message>
</context>
<context>
    <name>RunningStatus</name>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Démarrer</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Relancer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>RunningStepInfo</name>
    <message>
        <source>Step %1: %2</source>
        <translation>Étape %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cycle: </source>
        <translation>Cycle&#xa0;: </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 sur %2</translation>
    </message>
    <message>
        <source>Step: </source>
        <translation>Étape&#xa0;: </translation>
    </message>
    <message>
        <source>Step time: </source>
        <translation>Durée de l&apos;étape&#xa0;: </translation>
    </message>
    <message>
        <source>Total time: </source>
        <translation>Durée totale&#xa0;: </translation>
    </message>
</context>
<context>
    <name>StarButton</name>
    <message>
        <source>Favourite</source>
        <translation>Favori</translation>
    </message>
</context>
<context>
    <name>TouchdownStepView</name>
    <message>
        <source>Temperature</source>
        <translation>Température</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Denaturation</source>
        <translation>Dénaturation</translation>
    </message>
    <message>
        <source>Annealing</source>
        <translation>Hybridation</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Début</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Fin</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Élongation</translation>
    </message>
    <message>
        <source>Number of cycles </source>
        <translation>Nombre de cycles </translation>
    </message>
</context>
<context>
    <name>WaitDialog</name>
    <message>
        <source>Loading...</source>
        <translation>Chargement…</translation>
    </message>
</context>
<context>
    <name>WarningWindow</name>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
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
        <translation>Choisissez le ou les fichiers à importer</translation>
    </message>
    <message>
        <source>Library files (*.plf *.plfx)</source>
        <translation>Fichiers de bibliothèque (*.plf *.plfx)</translation>
    </message>
    <message>
        <source>Choose file to export to</source>
        <translation>Choisissez le fichier d&apos;export</translation>
    </message>
    <message>
        <source>Csv file (*.csv)</source>
        <translation>Fichier CSV (*.csv)</translation>
    </message>
</context>
</TS>
