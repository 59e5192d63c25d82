#include "blemessagebox.h"

#include <QCoreApplication>
#include <QDebug>

BleMessageBox::BleMessageBox()
    : m_checkBox(new QCheckBox)
{
    m_messageBox.setIcon(QMessageBox::Warning);
    m_messageBox.setText(QCoreApplication::translate(
        "BleMessageBox", "Bluetooth Low Energy will not work on current operation system."));
    m_messageBox.setDetailedText(QCoreApplication::translate(
        "BleMessageBox",
        "You are running Microsoft Windows 8.1 (or lower) and it has no official support for "
        "Bluetooth Low Energy. To be able to connect to devices via Bluetooth we recommend you to "
        "upgrade to newer version of Microsoft Windows (10), with all updates installed."));
    m_messageBox.setStandardButtons(QMessageBox::Ok);
    m_messageBox.setDefaultButton(QMessageBox::Ok);

    m_needShowMessage = m_settings.value(m_showMessageKey, true).toBool();
    qDebug() << "Got from settings: need to show message -- " << m_needShowMessage;

    m_checkBox->setText(
        QCoreApplication::translate("BleMessageBox", "Do not show this message again."));
    m_messageBox.setCheckBox(m_checkBox);
}

void BleMessageBox::show()
{
    const int result = m_messageBox.exec();
    if (result != 0 && m_checkBox->isChecked()) {
        qInfo() << "User doesn't want to see BLE warnings message again. Storing this to settings.";
        m_settings.setValue(m_showMessageKey, false);
        m_settings.sync();
    }
}
