#ifndef FOCUSNAVIGATOR_H
#define FOCUSNAVIGATOR_H

#include <QPointer>
#include <QQuickItem>

// An invisible stop in the focus chain that passes keyboard focus on to a
// chosen item: Tab to `tabItem`, Backtab to `backtabItem`, or, when unset,
// to the next or previous item of the chain. It lets focus leave or enter a
// composite view at chosen fields.
class FocusNavigator : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QQuickItem *tabItem READ tabItem WRITE setTabItem NOTIFY tabItemChanged)
    Q_PROPERTY(
        QQuickItem *backtabItem READ backtabItem WRITE setBacktabItem NOTIFY backtabItemChanged)

public:
    explicit FocusNavigator(QQuickItem *parent = nullptr);

    QQuickItem *tabItem() const;
    QQuickItem *backtabItem() const;

public slots:
    void setTabItem(QQuickItem *tabItem);
    void setBacktabItem(QQuickItem *backtabItem);

signals:
    void tabItemChanged(QQuickItem *tabItem);
    void backtabItemChanged(QQuickItem *backtabItem);

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    void passFocus(QQuickItem *chosen, bool forward, Qt::FocusReason reason);

    QPointer<QQuickItem> m_tabItem;
    QPointer<QQuickItem> m_backtabItem;
};

#endif // FOCUSNAVIGATOR_H
