#ifndef WINDOWFIXTURE_H
#define WINDOWFIXTURE_H

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <memory>

class PcrCore;
class PCRConst;
class QQmlApplicationEngine;
class QQuickItem;
class QQuickWindow;

// The real main window in the test's process: the real core with the
// program's registrations, "qrc:/main" loaded offscreen, and the virtual
// machines the environment names (THERMOX_VIRTUAL_MACHINES for the virtual
// USB bus linked into the test, THERMOX_VIRTUAL_BLE_MACHINES for the virtual
// BLE plug-in, which the core loads as the program does). Tests reach the
// window through objectName: find an item, click it, type, wait.
class WindowFixture : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultTimeoutMs = 15000;

    // Works on a fresh data folder of its own, or on `dataPath` when given
    // (a folder prepared with stored protocols, for instance).
    explicit WindowFixture(const QString &dataPath = QString());
    ~WindowFixture() override;

    // Loads the window; true once the stored library and machines are
    // loaded and the window is exposed.
    bool start();

    PcrCore *core() const;
    QQmlApplicationEngine *engine() const;
    QQuickWindow *window() const;
    QString dataPath() const;

    // The first visible item of that objectName (pop-ups included), else the
    // first hidden one; `under` narrows the search to one item's subtree.
    QQuickItem *findItem(const QString &objectName, QQuickItem *under = nullptr) const;
    // Whether an item of that objectName is on screen now.
    bool isShown(const QString &objectName) const;
    // Any object of the window by objectName, non-visual ones (pop-ups,
    // windows) included.
    QObject *findObject(const QString &objectName) const;
    // The first visible item, in tree order, for which `match` holds.
    QQuickItem *findItemWhere(const std::function<bool(QQuickItem *)> &match,
                              QQuickItem *under = nullptr) const;
    // The first visible item showing exactly that text (a label, a button).
    QQuickItem *findText(const QString &text, QQuickItem *under = nullptr) const;
    // The visible rows a list view has made: the delegates of its content
    // item that have that property.
    static QList<QQuickItem *> rowsOf(QQuickItem *view, const char *rowProperty);

    // Whether the middle of the item is in the window and not clipped away
    // by an item around it (a list scrolled, a step folded).
    bool isOnScreen(QQuickItem *item) const;
    // A left click in the middle of the item once it is on screen; false
    // when it is not visible or does not come into view.
    bool click(QQuickItem *item);
    bool click(const QString &objectName);
    void pressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString &text);
    // Clicks a text field and types over its whole text.
    bool typeInto(QQuickItem *field, const QString &text);

    bool waitFor(const std::function<bool()> &condition, int timeoutMs = DefaultTimeoutMs);
    // Until an item of that objectName is visible; the item, or null.
    QQuickItem *waitForItem(const QString &objectName, int timeoutMs = DefaultTimeoutMs);

    // Calls a function of the main window (showPage, showInfoDialog, ...).
    QVariant callWindow(const char *function, const QVariantList &arguments = {});

private:
    std::unique_ptr<QTemporaryDir> m_ownDataDir;
    QString m_dataPath;
    PcrCore *m_core = nullptr;
    PCRConst *m_constants = nullptr;
    QQmlApplicationEngine *m_engine = nullptr;
    QPointer<QQuickWindow> m_window;
};

#endif // WINDOWFIXTURE_H
