#include "languagemodel.h"

#include "core/appsettings.h"

#include <QDebug>

LanguageModel::LanguageModel(QObject *parent)
    : ListItemModel(parent)
    , m_entries{{QT_TR_NOOP("Auto"), Translation::LanguageMap::AUTO},
                {QT_TR_NOOP("English"), Translation::LanguageMap::EN},
                {QT_TR_NOOP("French"), Translation::LanguageMap::FR}}
    , m_currentIndex(entryIndexOf(Translation::storedLanguageId()))
{
    if (m_currentIndex == noLanguageIndex)
        qWarning() << "----- Error, unable to find language on list...";
}

int LanguageModel::count() const
{
    return m_entries.size();
}

QVariant LanguageModel::data(const QModelIndex &index, int role) const
{
    // Only the display role carries the name: views ask other roles for sizes,
    // colours and fonts, which a name cannot answer.
    if (!index.isValid() || index.row() >= count() || role != Qt::DisplayRole)
        return QVariant();
    return tr(m_entries.at(index.row()).name);
}

void LanguageModel::setCurrentLanguage(int index)
{
    m_currentIndex = index;
}

int LanguageModel::getCurrentLanguageIndex() const
{
    return m_currentIndex;
}

void LanguageModel::saveLanguage()
{
    if (m_currentIndex < 0 || m_currentIndex >= m_entries.size()) {
        qWarning() << "No language highlighted, not saving...";
        return;
    }
    const Entry &entry = m_entries.at(m_currentIndex);
    const Translation::LanguageMap stored =
        Translation::languageFromId(Translation::storedLanguageId());
    if (Translation::languageFromId(int(entry.language)) == stored) {
        qInfo() << "Language is same as old one, not saving...";
        return;
    }
    AppSettings::setValue(Translation::settingsKey, int(entry.language));
    emit languageSaved(tr("Language"),
                       tr("Language will be changed to <b>%1</b> with next application restart")
                           .arg(tr(entry.name)));
}

int LanguageModel::entryIndexOf(int languageId) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (int(m_entries.at(row).language) == languageId)
            return row;
    }
    return noLanguageIndex;
}
