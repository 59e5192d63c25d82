// Saves the library in the given data folder over and over, alternating two
// contents ("A n" and "B n" programs), until it is killed. Prints one line
// once the first save has been written, so the killer knows saving is under
// way. Usage: storagesaver <data folder> <programs per library>
#include "core/applocalstorage.h"

#include "storagefixtures.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void discardMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    qInstallMessageHandler(discardMessages);
    if (argc != 3)
        return 2;
    AppLocalStorage::setDataPath(QString::fromLocal8Bit(argv[1]));
    const int count = QByteArray(argv[2]).toInt();
    const ProgramList libraries[] = {StorageFixtures::library(QStringLiteral("A"), count),
                                     StorageFixtures::library(QStringLiteral("B"), count)};
    AppLocalStorage storage;
    storage.saveProtocols(libraries[0]);
    storage.flush();
    std::puts("saving");
    std::fflush(stdout);
    for (int round = 1;; ++round) {
        storage.saveProtocols(libraries[round % 2]);
        storage.flush();
    }
}
