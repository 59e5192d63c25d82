#ifndef LANGUAGEMODEL_H
#define LANGUAGEMODEL_H

#include "core/translation.h"
#include "utils/listitemmodel.h"

#include <QVector>

// The languages the user can choose in the language window, the one
// highlighted there, and saving it as "langId" for the next start.
class LanguageModel : public ListItemModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // The highlighted index when no entry has the stored code.
    static constexpr int noLanguageIndex = -2;

    explicit LanguageModel(QObject *parent = nullptr);

    int count() const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    Q_INVOKABLE void setCurrentLanguage(int index);
    Q_INVOKABLE int getCurrentLanguageIndex() const;
    Q_INVOKABLE void saveLanguage();

signals:
    void countChanged(int count);
    void languageSaved(QString dialogTitle, QString dialogText);

private:
    struct Entry
    {
        const char *name;
        Translation::LanguageMap language;
    };

    int entryIndexOf(int languageId) const;

    const QVector<Entry> m_entries;
    int m_currentIndex = noLanguageIndex;
};

#endif // LANGUAGEMODEL_H
