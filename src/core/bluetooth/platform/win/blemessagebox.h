#ifndef BLEMESSAGEBOX_H
#define BLEMESSAGEBOX_H

#include <QCheckBox>
#include <QMessageBox>
#include <QSettings>
#include <QString>

// Start-up warning for systems without Bluetooth Low Energy support, which
// the user can silence for good.
class BleMessageBox
{
public:
    BleMessageBox();

    bool needShowMessage() const { return m_needShowMessage; }
    void show();

    // The box itself, so that a caller (or a test) can reach its buttons.
    QMessageBox &messageBox() { return m_messageBox; }
    QCheckBox *checkBox() { return m_checkBox; }

private:
    QMessageBox m_messageBox;
    QCheckBox *m_checkBox;
    bool m_needShowMessage = true;
    QSettings m_settings;
    const QString m_showMessageKey = QStringLiteral("SHOW_MESSAGE");
};

#endif // BLEMESSAGEBOX_H
