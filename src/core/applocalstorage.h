#ifndef APPLOCALSTORAGE_H
#define APPLOCALSTORAGE_H

#include <QObject>
#include <QString>

// Owns the per-user data directory and the files in it.
class AppLocalStorage : public QObject
{
    Q_OBJECT

public:
    // Fixes the data directory path; called once at start-up, after the
    // application names are set and before settings or the core are used.
    static void initDataPath();
    static QString dataPath();

private:
    static QString s_dataPath;
};

#endif // APPLOCALSTORAGE_H
