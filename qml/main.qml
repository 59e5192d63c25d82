import QtQuick 2.15
import QtQuick.Controls 2.15
import Qt.labs.platform 1.1 as Platform
import Common.AppStyle 1.0
import Common.AppDataTypes 1.0
import Common.Utility 1.0
import Desktop.AppControls 1.0
import Desktop.AppDialogs.Controls 1.0
import Desktop.AppDialogs.Windows 1.0
import Desktop.Pages 1.0

// The main window: the menu column at the left, the current page at the
// right, the dialog host over both.
//
// Page contract. The library and devices pages have
//   readonly property var disabledMenuKeys  - the option-menu keys they
//                                             disable now (see PageMenuKeys);
// the window puts the bell and option buttons over their heads and handles
// the choice. The running page gets the same buttons in its tab bar's corner
// (cornerItems), with the disabled keys of its current tab. In addition
//   LibraryPage:  property string sortType     - given back on creation, read
//                                                 when the page is left; the
//                                                 page follows
//                                                 PcrCore.newProgramAdded itself;
//   RunningPage:  property int currentDeviceId - the device of the current tab
//                                                 (for the run-data export).
// Pages show their dialogs through the window's functions below (the window
// is Window.window for any item in it, or the AppWindow singleton).
ApplicationWindow {
    id: mainWindow

    readonly property var fontFaces: ["Regular", "Black", "BlackItalic", "Bold", "BoldItalic",
        "Hairline", "HairlineItalic", "Italic", "Light", "LightItalic"]
    readonly property var pageSources: ({
        library: "qrc:/qml/Desktop/Pages/LibraryPage.qml",
        devices: "qrc:/qml/Desktop/Pages/DevicesPage.qml"
    })

    property var pagesData: ({ librarySortOrder: AppStyle.sortTypeUsed })
    property string currentPage: ""
    readonly property Item currentPageItem: currentPage === "running" ? runningPage : pageLoader.item
    readonly property alias dialogHost: dialogHost

    function showDialog(component, properties) {
        dialogHost.show(component, properties)
    }

    function showWaitDialog(postUrl, postProperties, maxInterval) {
        dialogHost.showWait(postUrl, postProperties, maxInterval)
    }

    function closeDialog(senderDialogId) {
        dialogHost.closeDialog(senderDialogId)
    }

    function showInfoDialog(title, text) {
        showInfoDialogFrom(infoDialog, title, text)
    }

    // `component` makes an InfoDialog (the core's own, for instance).
    function showInfoDialogFrom(component, title, text) {
        const properties = { text: text }
        if (title)
            properties.title = title
        showDialog(component, properties)
    }

    function showLanguageInfoDialog(title, text) {
        showDialog(infoDialog, { title: title, text: text, textFormat: Text.StyledText,
                                 buttonText: qsTr("OK") })
    }

    function showWarningDialog(title, text) {
        const properties = { text: text, destroyOnClose: true }
        if (title)
            properties.title = title
        okWindow.createObject(mainWindow.contentItem, properties).open()
    }

    // A warning-style question; onAccepted runs on the accepting button.
    function showConfirmationWindow(title, text, acceptText, rejectText, onAccepted) {
        const window = confirmationWindow.createObject(mainWindow.contentItem, {
            title: title, text: text, acceptText: acceptText, rejectText: rejectText,
            destroyOnClose: true })
        if (onAccepted)
            window.accepted.connect(onAccepted)
        window.open()
    }

    // A plain message window: left-aligned text, one "Ok" button.
    function showDetailsWindow(title, text) {
        okWindow.createObject(mainWindow.contentItem, {
            title: title, text: text, titleColor: AppStyle.detailsTitleBarColor,
            textAlignment: Text.AlignLeft, destroyOnClose: true }).open()
    }

    function showPage(item) {
        if (item === currentPage)
            return
        if (currentPage === "library")
            pagesData.librarySortOrder = pageLoader.item.sortType
        if (item === "running") {
            currentPage = item
            pageLoader.source = ""
            return
        }
        const initial = item === "library" ? { sortType: pagesData.librarySortOrder } : {}
        pageLoader.setSource(pageSources[item], initial)
        // The running page hides only now that the new page exists.
        currentPage = item
    }

    function handleOption(key) {
        console.info("Option chosen:", key)
        switch (key) {
        case PageMenuKeys.libraryImport:
            importDialog.open()
            break
        case PageMenuKeys.libraryExport:
            exportDialog.open()
            break
        case PageMenuKeys.libraryShare:
            console.warn("Can't share library on desktop!")
            break
        case PageMenuKeys.runDataExport:
            runDataDialog.open()
            break
        case PageMenuKeys.language:
            languageWindow.open()
            break
        case PageMenuKeys.version:
            PcrCore.toggleVerboseLogs()
            break
        }
    }

    title: "Thermox"
    width: 1280
    height: 768
    minimumWidth: 640
    minimumHeight: 480
    visible: true
    color: AppStyle.windowBackgroundColor
    font.family: AppStyle.fontFamily

    Component.onCompleted: {
        AppWindow.window = mainWindow
        showPage("library")
    }

    Repeater {
        model: mainWindow.fontFaces
        delegate: Item {
            FontLoader { source: "qrc:/Resources/fonts/Lato-" + modelData + ".ttf" }
        }
    }

    Rectangle {
        id: leftColumn
        anchors { left: parent.left; top: parent.top; bottom: parent.bottom }
        width: AppStyle.leftColumnWidth
        color: AppStyle.windowBackgroundColor

        Item {
            id: logoBand
            anchors { left: parent.left; right: parent.right; top: parent.top }
            height: AppStyle.logoBandHeight

            Image {
                anchors.centerIn: parent
                width: 160
                height: 48
                sourceSize: Qt.size(width, height)
                source: "qrc:/Resources/images/logo.svg"
            }
        }

        MainMenu {
            objectName: "mainMenu"
            anchors { left: parent.left; right: parent.right; top: logoBand.bottom }
            currentKey: mainWindow.currentPage
            runningCount: NowRunningModel.countRunning
            onEntrySelected: mainWindow.showPage(key)
        }
    }

    Item {
        id: pageArea
        anchors { left: leftColumn.right; right: parent.right; top: parent.top; bottom: parent.bottom }

        RunningPage {
            id: runningPage
            objectName: "runningPage"
            anchors.fill: parent
            visible: mainWindow.currentPage === "running"
            cornerItems: PageBarButtons {
                objectName: "runningPageButtons"
                disabledKeys: PageMenuKeys.runningDisabledKeys(runningPage.currentDeviceId !== PCRConst.nullID)
                onOptionSelected: mainWindow.handleOption(key)
            }
        }

        Loader {
            id: pageLoader
            objectName: "pageLoader"
            anchors.fill: parent
            visible: mainWindow.currentPage !== "running"
        }

        PageBarButtons {
            objectName: "pageButtons"
            anchors { right: parent.right; rightMargin: 16; top: parent.top; topMargin: 17 }
            visible: pageLoader.visible && pageLoader.item !== null
            disabledKeys: pageLoader.item ? pageLoader.item.disabledMenuKeys : []
            onOptionSelected: mainWindow.handleOption(key)
        }
    }

    Connections {
        target: PcrCore

        function onShowRunningProtocolDialog(dialogTitle, dialogText, itemId, deviceId, multiUpload) {
            mainWindow.showDialog(runQuestion, { title: dialogTitle, text: dialogText,
                                                 protocolId: itemId, deviceId: deviceId,
                                                 multiUpload: multiUpload })
        }

        function onShowUnsupportedProtocolDialog(machineName, deviceId, programId) {
            mainWindow.showDialog(longProtocolWarning, { machineName: machineName,
                                                         deviceId: deviceId, programId: programId })
        }

        // A refusal in the middle of an upload to several machines (a flex
        // protocol for a vela8) holds the upload back until it is read;
        // closing it lets the core go on with the next machine (nothing
        // happens when no such upload is under way).
        function onShowInfoDialog(dialogTitle, dialogText) {
            mainWindow.showInfoDialogFrom(coreInfoDialog, dialogTitle, dialogText)
        }

        function onShowWarningDialog(dialogTitle, dialogText) {
            mainWindow.showWarningDialog(dialogTitle, dialogText)
        }

        function onShowRunningScreen() {
            mainWindow.showPage("running")
        }
    }

    Connections {
        target: LanguageModel

        function onLanguageSaved(dialogTitle, dialogText) {
            mainWindow.showLanguageInfoDialog(dialogTitle, dialogText)
        }
    }

    AppDialog {
        id: dialogHost
        objectName: "dialogHost"
        anchors.fill: parent
        z: 100
    }

    LanguageSelectWindow {
        id: languageWindow
        objectName: "languageWindow"
    }

    Component {
        id: infoDialog
        InfoDialog {}
    }

    Component {
        id: coreInfoDialog
        InfoDialog {
            onFinished: PcrCore.uploadSelection()
        }
    }

    Component {
        id: runQuestion
        RunQuestionDialog {}
    }

    Component {
        id: longProtocolWarning
        LongProtocolWarning {}
    }

    Component {
        id: okWindow
        OkWindow {}
    }

    Component {
        id: confirmationWindow
        ConfirmationWindow {}
    }

    Platform.FileDialog {
        id: importDialog
        title: qsTr("Choose file(s) to import")
        nameFilters: [qsTr("Library files (*.plf *.plfx)")]
        fileMode: Platform.FileDialog.OpenFile
        folder: Platform.StandardPaths.writableLocation(Platform.StandardPaths.HomeLocation)
        onAccepted: {
            console.info("Library import from", file)
            PcrCore.importProtocols(file)
        }
    }

    Platform.FileDialog {
        id: exportDialog
        title: qsTr("Choose file to export to")
        nameFilters: [qsTr("Library files (*.plf *.plfx)")]
        fileMode: Platform.FileDialog.SaveFile
        folder: Platform.StandardPaths.writableLocation(Platform.StandardPaths.HomeLocation)
        onAccepted: {
            console.info("Library export to", file)
            PcrCore.exportProtocols(file)
        }
    }

    Platform.FileDialog {
        id: runDataDialog
        title: qsTr("Choose file to export to")
        nameFilters: [qsTr("Csv file (*.csv)")]
        fileMode: Platform.FileDialog.SaveFile
        folder: Platform.StandardPaths.writableLocation(Platform.StandardPaths.HomeLocation)
        onAccepted: {
            console.info("Run data export to", file)
            // The core reports a failed export itself.
            PcrCore.exportRunData(file, runningPage.currentDeviceId)
        }
    }
}
