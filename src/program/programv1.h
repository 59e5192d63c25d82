#ifndef PROGRAMV1_H
#define PROGRAMV1_H

#include "Pcr.pb.h"
#include "program.h"

// A program in the form firmware-1 machines run: a PCR protocol of seven
// steps, a heat block or a linear ramp of two. The settings the user edits
// are kept in the firmware-1 short forms beside the wire message.
class ProgramV1 : public Program
{
    Q_OBJECT

public:
    ProgramV1(const QString &name, const QByteArray &steps, ProgramType type, int programId,
              QObject *parent = nullptr);
    ProgramV1(const QString &name, const QByteArray &steps, ProgramType type,
              QObject *parent = nullptr);
    // A program reported by a machine; invalid unless it has one of the
    // three firmware-1 shapes.
    explicit ProgramV1(const QByteArray &serializedMessage, QObject *parent = nullptr);
    // An empty program, to be filled through mutablePcrProtocol().
    ProgramV1();
    ~ProgramV1() override;

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

    // The wire message is what a firmware-1 connection sends and what the
    // library exchange reads and fills.
    const ProtocolV1::PCRProtocol &pcrProtocol() const;
    ProtocolV1::PCRProtocol *mutablePcrProtocol();
    const ProtocolV1::ShortPCRProtocol &shortPcrProtocol() const;
    const ProtocolV1::ShortLinearRampProtocol &shortLinearRampProtocol() const;
    bool heatedLid() const;
    // The steps have one of the three firmware-1 shapes (PCR, heat block, ramp).
    bool hasFirmwareV1Shape() const;
    void print() const;

private:
    static quint32 jsonSeconds(const QJsonObject &step, const QString &key);
    void editPcr(const QString &name, const QJsonObject &step);
    void editRamp(const QString &name, const QJsonObject &step);
    void rebuildPcrSteps();
    void rebuildRampSteps();
    void appendStep(ProtocolV1::StepType type, float target, quint32 seconds);
    void readPcr();
    void readRamp(bool linear);
    QJsonObject pcrStep() const;
    QJsonObject rampStep() const;

    ProtocolV1::PCRProtocol m_protocol;
    bool m_heatedLid = true;
    bool m_isPcr = true;
    ProtocolV1::ShortPCRProtocol m_shortPcr;
    ProtocolV1::ShortLinearRampProtocol m_shortRamp;
};

#endif // PROGRAMV1_H
