#ifndef PROTOBUFLOG_H
#define PROTOBUFLOG_H

// The protobuf library writes its own complaints (a bad UTF-8 string in a
// received message, for instance) straight to stderr; this sends them through
// the process's log instead, so they land in the log file too.
void routeProtobufLogsToQt();

#endif // PROTOBUFLOG_H
