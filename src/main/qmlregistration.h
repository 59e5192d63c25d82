#ifndef QMLREGISTRATION_H
#define QMLREGISTRATION_H

class QQmlContext;
class PCRConst;
class PcrCore;

// What the declarative UI sees. The program and the QML tests call these
// same functions, so the tests see exactly what the program shows.
void setContextProperties(QQmlContext *context, PcrCore *core, PCRConst *constants);
void registerQmlTypes();

#endif // QMLREGISTRATION_H
