#ifndef PROGRAM_H
#define PROGRAM_H

#include "containers/shortprotocolcontainer.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QVariant>

namespace google::protobuf {
class MessageLite;
}

class PropertyModel;
class Program;

using ProgramPtr = QSharedPointer<Program>;
using ProgramList = QList<ProgramPtr>;

// One protocol of the library or the protocol a device runs. Concrete
// programs keep it in the wire form of one firmware generation.
class Program : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int programId READ programId CONSTANT)

public:
    // The block types share their values with Container::Protocol.
    enum ProgramType : int {
        PT_INVALID = 0,
        PT_PCR = Container::Protocol::PcrBlock,
        PT_HEAT_BLOCK = Container::Protocol::HeatBlock,
        PT_LINEAR_RAMP = Container::Protocol::LinearRampBlock,
        PT_FLEX = 4,
        PT_TOUCHDOWN = Container::Protocol::TouchdownBlock
    };
    Q_ENUM(ProgramType)

    ~Program() override;

    virtual bool isSupportedByV1() const = 0;
    virtual bool isSameProgram(const ProgramPtr &other, bool exactName) const;
    virtual bool hasSameSteps(const Program &other) const;
    virtual bool fillFromPCRProtocol() = 0;
    virtual QJsonDocument protocolSteps() const = 0;
    virtual QVariant protocolStepsVariant() const;
    virtual void editProgram(const QString &name, const QByteArray &steps, bool finalCooling) = 0;
    virtual ProgramPtr copyWithName(const QString &newName) const = 0;
    virtual ProgramPtr clone(bool newId) const = 0;
    virtual ProgramPtr toV1(bool newId) const = 0;
    virtual ProgramPtr toV3(bool newId) const = 0;
    virtual void limitTimes() = 0;
    virtual float initTemp() const = 0;
    virtual float initLidTemp() const = 0;
    virtual bool finalCooling() const = 0;
    virtual QString firmware() const = 0;
    virtual QString name() const = 0;
    virtual void setName(const QString &name) = 0;
    virtual int totalCycles() const = 0;
    virtual int blockCycles(int index) const = 0;
    virtual int cyclesBefore(int count) const = 0;
    // The step accessors expect 0 <= index < stepsCount().
    virtual int stepsCount() const = 0;
    virtual float lidTemp() const = 0;
    virtual int stepTime(int index) const = 0;
    virtual float stepTarget(int index) const = 0;
    virtual int stepType(int index) const = 0;
    virtual bool isCycleStep(int index) const;
    virtual QString stepName(int index) const = 0;
    virtual ProgramType stepProgramType(int index) const = 0;

    int programId() const;
    ProgramType programType() const;
    bool isValid() const;

    bool isFavorite() const;
    void setFavorite(bool favorite);
    int usedCount() const;
    void setUsedCount(int usedCount);
    QDateTime lastUsed() const;
    void setLastUsed(const QDateTime &lastUsed);
    // A run of this program has started.
    void markUsed();

    PropertyModel *propertyModel() const;
    // The record of this program in the library files.
    QJsonObject toJson() const;

    void createPropertyModel(const QJsonObject &step, ProgramType type, bool inFlex);
    void updatePropertyModel(const QJsonArray &stepArray);

    static QString baseName(const QString &name);
    static QString nextNumberedName(const QString &name);
    // Equal within a relative 1e-5; 0 equals only 0.
    static bool fuzzyEqual(float a, float b);

signals:
    void usageDataChanged();

protected:
    // A negative programId takes the next id of the process-wide counter.
    Program(ProgramType type, int programId, QObject *parent);

    void setProgramType(ProgramType type);
    // The id a copy gets: a new one, or this program's.
    int copyId(bool newId) const;

    // Longest step firmware 1 accepts, in seconds.
    static constexpr quint32 firmwareV1MaxSeconds() { return 32760; }
    // Times and counts as the wire carries them: whole, never negative.
    static quint32 wireUnsigned(double value);
    // Parses a message body; trailing zero padding ends the message.
    static bool parseMessage(google::protobuf::MessageLite &message, const QByteArray &bytes);
    static ProgramType validType(int type);

private:
    void addPcrProperties(const QJsonObject &step, bool inFlex);
    void addHeatBlockProperties(const QJsonObject &step, bool inFlex);
    void addLinearRampProperties(const QJsonObject &step, bool inFlex);
    void addTouchdownProperties(const QJsonObject &step);
    void addTimeTempRow(const QString &name, const QJsonObject &step, const QString &timeKey,
                        const QString &tempKey);
    void addOnOffRow(const QString &name, bool on);
    bool namesMatch(const QString &otherName, bool exactName) const;

    bool m_isFavorite = false;
    int m_programId;
    int m_usedCount = 0;
    ProgramType m_programType;
    QDateTime m_lastUsed;
    PropertyModel *m_propertyModel;
};

#endif // PROGRAM_H
