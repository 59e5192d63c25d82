pragma Singleton
import QtQuick 2.15

// The keys of the page option menu, and which of them each page disables.
QtObject {
    readonly property string libraryImport: "library_import"
    readonly property string libraryExport: "library_export"
    readonly property string libraryShare: "library_share"
    readonly property string runDataExport: "run_data_export"
    readonly property string language: "language"
    readonly property string version: "version"

    function libraryDisabledKeys(libraryEmpty) {
        return libraryEmpty ? [libraryExport, libraryShare, runDataExport]
                            : [libraryShare, runDataExport]
    }

    function devicesDisabledKeys() {
        return [libraryImport, libraryExport, libraryShare, runDataExport]
    }

    function runningDisabledKeys(hasCurrentTab) {
        return hasCurrentTab ? [libraryImport, libraryExport, libraryShare]
                             : [libraryImport, libraryExport, libraryShare, runDataExport]
    }
}
