pragma Singleton
import QtQuick 2.15

// How any view reaches the main window's functions without knowing where it
// sits in the item tree: the window registers itself here when it is built.
// A test may register a stand-in with the same functions.
QtObject {
    property var window: null

    function showDialog(component, properties) {
        window.showDialog(component, properties)
    }

    function showWaitDialog(postUrl, postProperties, maxInterval) {
        window.showWaitDialog(postUrl, postProperties, maxInterval)
    }

    function closeDialog(senderDialogId) {
        window.closeDialog(senderDialogId)
    }

    function showPage(item) {
        window.showPage(item)
    }

    function showInfoDialog(title, text) {
        window.showInfoDialog(title, text)
    }

    function showLanguageInfoDialog(title, text) {
        window.showLanguageInfoDialog(title, text)
    }

    function showWarningDialog(title, text) {
        window.showWarningDialog(title, text)
    }
}
