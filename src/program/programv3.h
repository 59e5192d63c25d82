#ifndef PROGRAMV3_H
#define PROGRAMV3_H

#include "Thermox_v3.8_03.02.2018.pb.h"
#include "program.h"

#include <vector>

// A program in the form firmware-3 machines run: the wire message with its
// steps, and the blocks (PCR, heat block, linear ramp, touchdown) it was
// built from or that were read back from it.
class ProgramV3 : public Program
{
    Q_OBJECT

public:
    ProgramV3(const QString &name, const QByteArray &steps, bool finalCooling, ProgramType type,
              int programId, QObject *parent = nullptr);
    ProgramV3(const QString &name, const QByteArray &steps, bool finalCooling, ProgramType type,
              QObject *parent = nullptr);
    // A program reported by a machine; invalid when the message is not one
    // of the shapes this program builds.
    explicit ProgramV3(const QByteArray &serializedMessage, QObject *parent = nullptr);
    // An empty program for a connection to hold until a real one arrives.
    ProgramV3();
    ~ProgramV3() override;

    bool isSupportedByV1() const override;
    bool fillFromPCRProtocol() override;
    QJsonDocument protocolSteps() const override;
    void editProgram(const QString &name, const QByteArray &steps, bool finalCooling) override;
    ProgramPtr copyWithName(const QString &newName) const override;
    ProgramPtr clone(bool newId) const override;
    ProgramPtr toV1(bool newId) const override;
    ProgramPtr toV3(bool newId) const override;
    void limitTimes() override;
    float initTemp() const override;
    float initLidTemp() const override;
    bool finalCooling() const override;
    QString firmware() const override;
    QString name() const override;
    void setName(const QString &name) override;
    int totalCycles() const override;
    int blockCycles(int index) const override;
    int cyclesBefore(int count) const override;
    int stepsCount() const override;
    float lidTemp() const override;
    int stepTime(int index) const override;
    float stepTarget(int index) const override;
    int stepType(int index) const override;
    QString stepName(int index) const override;
    ProgramType stepProgramType(int index) const override;

    // The message to send; logs what is sent.
    const ProtocolV3::PCRProtocol &pcrProtocol() const;
    ProtocolV3::PCRStep *nextStep(ProtocolV3::ProtocolType protocolType);
    QString idString() const;

    // Enumerator names of the wire step and protocol types, for log lines.
    static QString stepTypeName(int stepType);
    static QString protocolTypeName(int protocolType);

private:
    ProgramV3(ProgramType type, int programId, QObject *parent);

    bool buildBlocks(const QJsonArray &stepArray);
    bool appendBlock(const QJsonObject &step, ProgramType blockType, bool inFlex);
    void appendWireSteps(const Container::Protocol &block, bool inFlex);
    void appendPcrSteps(const Container::Protocol &block, bool inFlex);
    void appendHeatBlockSteps(const Container::Protocol &block, bool inFlex);
    void appendLinearRampSteps(const Container::Protocol &block, bool inFlex);
    void appendTouchdownSteps(const Container::Protocol &block, bool inFlex);
    void appendHold(ProtocolV3::ProtocolType protocolType, float target, float seconds);
    void appendCycle(ProtocolV3::ProtocolType protocolType, int firstStepPosition, qint32 cycles);
    void appendFinalCooling(ProtocolV3::ProtocolType protocolType);
    void setLidTempForHeatedLid(bool heatedLid);

    bool readBlocks(int stepCount);
    int readBlock(int index, int stepCount);
    Container::Protocol readPcr(int index, bool inFlex) const;
    Container::Protocol readHeatBlock(int index) const;
    Container::Protocol readLinearRamp(int index) const;
    Container::Protocol readTouchdown(int index) const;
    Container::Protocol blockWithLid(ProgramType type, float heatedAbove) const;
    bool rejectProtocol();

    void logProtocol(const char *direction) const;
    bool blockFitsV1(const Container::Protocol &block) const;

    ProtocolV3::PCRProtocol m_protocol;
    std::vector<Container::Protocol> m_blocks;
};

#endif // PROGRAMV3_H
