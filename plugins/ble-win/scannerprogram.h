#ifndef SCANNERPROGRAM_H
#define SCANNERPROGRAM_H

#include <QString>

// Where the scanner program of the Windows plug-in lies: beside the plug-in
// library, under the platform's file name ("CorvexRunner.exe" on Windows,
// "CorvexRunner" elsewhere).
class ScannerProgram
{
public:
    static QString name();
    static QString filePath();
};

#endif // SCANNERPROGRAM_H
