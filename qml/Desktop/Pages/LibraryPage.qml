import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import PCR.Program 1.0
import RunningProtocolsModel 1.0
import Common.AppStyle 1.0
import Common.AppDataTypes 1.0
import Desktop.AppControls 1.0
import Desktop.AppViews 1.0

// The stored protocols: sorting, favourites, and the run, edit, copy,
// delete and create actions.
Rectangle {
    id: page
    objectName: "libraryPage"

    // One of AppStyle.sortType*; the main window gives it back on creation.
    property string sortType: AppStyle.sortTypeUsed
    readonly property bool libraryEmpty: ProtocolsModel.count === 0
    readonly property var disabledMenuKeys: PageMenuKeys.libraryDisabledKeys(libraryEmpty)
    readonly property alias list: libraryList
    // Shows the dialogs (showDialog): the main window, unless given.
    property var dialogHost: Window.window

    readonly property var sortKeys: [
        { key: AppStyle.sortTypeUsed, role: SortRoles.MostUsedRole, text: qsTr("Most used") },
        { key: AppStyle.sortTypeAZ, role: SortRoles.AZProtocolNameRole, text: qsTr("A-Z") },
        { key: AppStyle.sortTypeRecent, role: SortRoles.RecentRole, text: qsTr("Recent") },
        { key: AppStyle.sortTypeFavorite, role: SortRoles.FavoriteRole, text: qsTr("Favorites") }
    ]
    readonly property var editorByType: {
        var editors = {}
        editors[ProgramType.PT_PCR] = "PcrDialog"
        editors[ProgramType.PT_HEAT_BLOCK] = "HeatBlockDialog"
        editors[ProgramType.PT_LINEAR_RAMP] = "LinearRampDialog"
        editors[ProgramType.PT_FLEX] = "FlexDialog"
        return editors
    }

    color: AppStyle.pageBackgroundColor

    function applySort() {
        for (var i = 0; i < sortKeys.length; ++i) {
            if (sortKeys[i].key === sortType) {
                RunningProtocolsModel.setSortRole(sortKeys[i].role)
                return
            }
        }
        console.warn("Unknown library sort key:", sortType)
    }

    function openDialog(name, properties) {
        var component = Qt.createComponent("qrc:/qml/Desktop/AppDialogs/Views/" + name + ".qml")
        if (component.status !== Component.Ready) {
            console.warn("Dialog not available:", name, component.errorString())
            return
        }
        dialogHost.showDialog(component, properties)
    }

    function runProtocol(programId) {
        if (PcrCore.runProgram(programId, false) === RunResult.RPR_NO_DEVICE_SELECTED)
            openDialog("RunDialog", { protocolId: programId })
    }

    function editProtocol(programId) {
        var editor = editorByType[ProtocolsModel.protocolType(programId)]
        if (editor)
            openDialog(editor, { protocolId: programId })
    }

    function newProtocol(programType) {
        openDialog(editorByType[programType], {})
    }

    function selectProtocol(programId) {
        libraryList.selectRow(RunningProtocolsModel.protocolIndex(programId))
    }

    function copyProtocol(programId) {
        var copyId = PcrCore.copyProgram(programId)
        if (copyId !== PCRConst.nullID)
            selectProtocol(copyId)
    }

    onSortTypeChanged: applySort()
    Component.onCompleted: applySort()

    Connections {
        target: PcrCore
        function onNewProgramAdded(programId) { page.selectProtocol(programId) }
    }

    TopPageBar {
        id: head
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        title: qsTr("Library")
        sortSelector: LibrarySortSelector {
            objectName: "sortSelector"
            visible: !page.libraryEmpty
            entries: page.sortKeys
            currentKey: page.sortType
            onKeyChosen: page.sortType = key
        }
    }

    Text {
        objectName: "emptyLibraryText"
        anchors.centerIn: body
        visible: page.libraryEmpty
        width: body.width - 40
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        text: qsTr("THERE ARE NO PROTOCOLS IN THE LIBRARY.")
        color: AppStyle.emptyListTextColor
        font.family: AppStyle.fontFamily
        font.pixelSize: 18
    }

    Item {
        id: body
        anchors.top: head.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom

        LibraryList {
            id: libraryList
            objectName: "libraryList"
            anchors.fill: parent
            model: RunningProtocolsModel
            onRunRequested: page.runProtocol(programId)
            onEditRequested: page.editProtocol(programId)
            onCopyRequested: page.copyProtocol(programId)
            onDeleteRequested: PcrCore.deleteProgram(programId)
            onNewProtocolRequested: page.newProtocol(programType)
        }
    }
}
