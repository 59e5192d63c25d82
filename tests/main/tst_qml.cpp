#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "main/qmlregistration.h"
#include "utils/pcrconst.h"

#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

// Gives the QML tests what main() gives the program.
class Setup : public QObject
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qml"));
        engine->addImportPath(QStringLiteral("qrc:/qml/Common"));
        engine->addImportPath(QStringLiteral("qrc:/qml/Desktop"));
        AppLocalStorage::initDataPath();
        setContextProperties(engine->rootContext(), new PcrCore(engine), new PCRConst(engine));
        registerQmlTypes();
    }
};

// The charts draw through the graphics view framework, which needs a
// QApplication, as the program has; the test runner takes the one it finds.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    Setup setup;
    return quick_test_main_with_setup(argc, argv, "thermox", QUICK_TEST_SOURCE_DIR, &setup);
}
#include "tst_qml.moc"
