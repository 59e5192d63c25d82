#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "main/qmlregistration.h"
#include "utils/pcrconst.h"

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

QUICK_TEST_MAIN_WITH_SETUP(thermox, Setup)
#include "tst_qml.moc"
