#include "focusnavigator.h"

FocusNavigator::FocusNavigator(QQuickItem *parent) : QQuickItem(parent)
{
    setActiveFocusOnTab(true);
}

QQuickItem *FocusNavigator::tabItem() const
{
    return m_tabItem;
}

QQuickItem *FocusNavigator::backtabItem() const
{
    return m_backtabItem;
}

void FocusNavigator::setTabItem(QQuickItem *tabItem)
{
    if (m_tabItem == tabItem)
        return;
    m_tabItem = tabItem;
    emit tabItemChanged(tabItem);
}

void FocusNavigator::setBacktabItem(QQuickItem *backtabItem)
{
    if (m_backtabItem == backtabItem)
        return;
    m_backtabItem = backtabItem;
    emit backtabItemChanged(backtabItem);
}

void FocusNavigator::focusInEvent(QFocusEvent *event)
{
    if (event->reason() == Qt::TabFocusReason)
        passFocus(m_tabItem, true, Qt::TabFocusReason);
    else if (event->reason() == Qt::BacktabFocusReason)
        passFocus(m_backtabItem, false, Qt::BacktabFocusReason);
    QQuickItem::focusInEvent(event);
}

void FocusNavigator::passFocus(QQuickItem *chosen, bool forward, Qt::FocusReason reason)
{
    QPointer<QQuickItem> target = chosen ? chosen : nextItemInFocusChain(forward);
    if (!target || target == this)
        return;
    // The window is still handing focus to this item; a change made inside
    // that hand-over would be overwritten, so it follows right after.
    QMetaObject::invokeMethod(
        this,
        [target, reason] {
            if (target)
                target->forceActiveFocus(reason);
        },
        Qt::QueuedConnection);
}
