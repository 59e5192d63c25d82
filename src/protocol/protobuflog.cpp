#include "protobuflog.h"

#include <QDebug>

#include <google/protobuf/stubs/logging.h>

namespace {

void logProtobufMessage(google::protobuf::LogLevel level, const char *filename, int line,
                        const std::string &message)
{
    QMessageLogger logger(filename, line, "protobuf");
    const QString text = QString::fromStdString(message);
    switch (level) {
    case google::protobuf::LOGLEVEL_INFO:
        logger.info().noquote() << text;
        break;
    case google::protobuf::LOGLEVEL_WARNING:
    case google::protobuf::LOGLEVEL_ERROR:
        logger.warning().noquote() << text;
        break;
    case google::protobuf::LOGLEVEL_FATAL:
        logger.critical().noquote() << text;
        break;
    }
}

} // namespace

void routeProtobufLogsToQt()
{
    google::protobuf::SetLogHandler(&logProtobufMessage);
}
