#include "bledevicescommonfinder.h"

BLEDevicesCommonFinder::BLEDevicesCommonFinder(QObject *parent)
    : BLEDevicesBaseFinder(parent)
{}
