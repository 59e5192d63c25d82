#include "windowfixture.h"

#include "containers/chartdata.h"
#include "core/applocalstorage.h"
#include "core/pcrcore.h"
#include "main/qmlregistration.h"
#include "utils/pcrconst.h"

#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QtTest>

// The program's resources live in object libraries; naming them here keeps
// them in the test executables that link this fixture.
static void initResources()
{
    Q_INIT_RESOURCE(qml);
    Q_INIT_RESOURCE(resources);
}

namespace {

QQuickItem *findIn(QQuickItem *root, const std::function<bool(QQuickItem *)> &match,
                   bool visibleOnly)
{
    const auto children = root->childItems();
    for (QQuickItem *child : children) {
        if (visibleOnly && !child->isVisible())
            continue;
        if (match(child))
            return child;
        if (QQuickItem *found = findIn(child, match, visibleOnly))
            return found;
    }
    return nullptr;
}

QQuickItem *findIn(QQuickItem *root, const QString &objectName, bool visibleOnly)
{
    return findIn(
        root, [&objectName](QQuickItem *item) { return item->objectName() == objectName; },
        visibleOnly);
}

} // namespace

WindowFixture::WindowFixture(const QString &dataPath)
{
    initResources();
    if (dataPath.isEmpty()) {
        m_ownDataDir = std::make_unique<QTemporaryDir>();
        m_dataPath = m_ownDataDir->path();
    } else {
        m_dataPath = dataPath;
    }
    AppLocalStorage::setDataPath(m_dataPath);
}

WindowFixture::~WindowFixture()
{
    // The window first, so that no binding reads the core once it is gone;
    // the core then saves and stops its storage thread.
    delete m_window;
    delete m_core;
    delete m_engine;
}

bool WindowFixture::start()
{
    m_engine = new QQmlApplicationEngine;
    m_engine->addImportPath(QStringLiteral("qrc:/qml"));
    m_engine->addImportPath(QStringLiteral("qrc:/qml/Common"));
    m_engine->addImportPath(QStringLiteral("qrc:/qml/Desktop"));
    m_core = new PcrCore;
    m_constants = new PCRConst(m_engine);
    QSignalSpy loaded(m_core->storage(), &AppLocalStorage::loadCompleted);
    // As the program does: the library and the machines load once the window exists.
    connect(m_engine, &QQmlApplicationEngine::objectCreated, m_core, [this] {
        QMetaObject::invokeMethod(m_core->storage(), &AppLocalStorage::loadData,
                                  Qt::QueuedConnection);
    });
    m_engine->rootContext()->setContextProperty(QStringLiteral("dpiScale"), 1);
    qRegisterMetaType<ChartData>("ChartData");
    setContextProperties(m_engine->rootContext(), m_core, m_constants);
    registerQmlTypes();
    m_engine->load(QUrl(QStringLiteral("qrc:/main")));
    if (m_engine->rootObjects().isEmpty())
        return false;
    m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().constFirst());
    if (!m_window)
        return false;
    return (loaded.count() > 0 || loaded.wait(DefaultTimeoutMs)) &&
           QTest::qWaitForWindowExposed(m_window.data(), DefaultTimeoutMs);
}

PcrCore *WindowFixture::core() const
{
    return m_core;
}

QQmlApplicationEngine *WindowFixture::engine() const
{
    return m_engine;
}

QQuickWindow *WindowFixture::window() const
{
    return m_window;
}

QString WindowFixture::dataPath() const
{
    return m_dataPath;
}

QQuickItem *WindowFixture::findItem(const QString &objectName, QQuickItem *under) const
{
    QQuickItem *root = under ? under : m_window->contentItem();
    if (QQuickItem *visible = findIn(root, objectName, true))
        return visible;
    return findIn(root, objectName, false);
}

bool WindowFixture::isShown(const QString &objectName) const
{
    const QQuickItem *item = findItem(objectName);
    return item && item->isVisible();
}

QObject *WindowFixture::findObject(const QString &objectName) const
{
    return m_window->findChild<QObject *>(objectName);
}

QQuickItem *WindowFixture::findItemWhere(const std::function<bool(QQuickItem *)> &match,
                                         QQuickItem *under) const
{
    return findIn(under ? under : m_window->contentItem(), match, true);
}

QQuickItem *WindowFixture::findText(const QString &text, QQuickItem *under) const
{
    return findItemWhere(
        [&text](QQuickItem *item) {
            const QVariant shown = item->property("text");
            return shown.type() == QVariant::String && shown.toString() == text;
        },
        under);
}

QList<QQuickItem *> WindowFixture::rowsOf(QQuickItem *view, const char *rowProperty)
{
    QList<QQuickItem *> rows;
    auto *content = view->property("contentItem").value<QQuickItem *>();
    for (QQuickItem *child : content->childItems()) {
        if (child->isVisible() && child->property(rowProperty).isValid())
            rows.append(child);
    }
    return rows;
}

bool WindowFixture::isOnScreen(QQuickItem *item) const
{
    if (!item || !item->isVisible() || item->width() <= 0 || item->height() <= 0)
        return false;
    const QPointF centre(item->width() / 2, item->height() / 2);
    for (QQuickItem *around = item->parentItem(); around; around = around->parentItem()) {
        if (around->clip() && !around->contains(item->mapToItem(around, centre)))
            return false;
    }
    return QRectF(QPointF(), m_window->size()).contains(item->mapToScene(centre));
}

bool WindowFixture::click(QQuickItem *item)
{
    // A user clicks what is shown: an item sliding or scrolling into view
    // is waited for.
    if (!item || !item->isVisible() || !waitFor([this, item] { return isOnScreen(item); }))
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(m_window.data(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

bool WindowFixture::click(const QString &objectName)
{
    return click(findItem(objectName));
}

void WindowFixture::pressKey(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(m_window.data(), Qt::Key(key), modifiers);
}

void WindowFixture::type(const QString &text)
{
    // QtTest types whole strings into widgets only; a window gets them key by key.
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, m_window.data(), Qt::Key_unknown, QString(character),
                            Qt::NoModifier);
}

bool WindowFixture::typeInto(QQuickItem *field, const QString &text)
{
    if (!click(field) || !waitFor([field] { return field->hasActiveFocus(); }))
        return false;
    pressKey(Qt::Key_A, Qt::ControlModifier);
    type(text);
    return true;
}

bool WindowFixture::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

QQuickItem *WindowFixture::waitForItem(const QString &objectName, int timeoutMs)
{
    QQuickItem *item = nullptr;
    waitFor(
        [&] {
            item = findItem(objectName);
            return item && item->isVisible();
        },
        timeoutMs);
    return item && item->isVisible() ? item : nullptr;
}

QVariant WindowFixture::callWindow(const char *function, const QVariantList &arguments)
{
    QVariant result;
    QGenericArgument args[4];
    for (int i = 0; i < arguments.size() && i < 4; ++i)
        args[i] = Q_ARG(QVariant, arguments.at(i));
    QMetaObject::invokeMethod(m_window, function, Q_RETURN_ARG(QVariant, result), args[0],
                              args[1], args[2], args[3]);
    return result;
}
