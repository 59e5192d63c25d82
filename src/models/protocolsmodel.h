#ifndef PROTOCOLSMODEL_H
#define PROTOCOLSMODEL_H

#include "program/program.h"
#include "utils/listitemmodel.h"

#include <QHash>
#include <QJsonObject>
#include <QVector>

// The protocol library: the programs in the order they were added, with
// names kept unique. Owns the programs through shared pointers.
class ProtocolsModel : public ListItemModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Roles {
        ProgramIdRole = Qt::UserRole + 1,
        ProgramTypeRole,
        ProtocolNameRole,
        IsFavoriteRole,
        VelaFirmwareRole,
        LastUsedRole,
        UsedCountRole,
        SupportedByV1DeviceRole
    };
    Q_ENUM(Roles)

    explicit ProtocolsModel(QObject *parent = nullptr);
    ~ProtocolsModel() override;

    int count() const override;

    Q_INVOKABLE void deleteProtocol(int protocolId);
    Q_INVOKABLE void editProtocol(int protocolId, const QString &newName,
                                  const QByteArray &protocolSteps, bool finalCooling);
    Q_INVOKABLE int copyProtocol(int protocolId);
    Q_INVOKABLE int protocolType(int programId) const;
    Q_INVOKABLE QString getProgramNameById(int programId) const;
    Q_INVOKABLE QVariant getProgramById(int programId) const;
    Q_INVOKABLE int getRowByProgramId(int programId) const;
    Q_INVOKABLE QString getFixedProtocolName(const QString &protocolName) const;
    Q_INVOKABLE QString getUniqueProtocolName(const QString &protocolName,
                                              int excludeId = -1) const;
    Q_INVOKABLE bool getFinalCoolingById(int programId) const;

    void upgradeProtocol(int programId, const ProgramPtr &newProgram);
    ProgramPtr getProgramObjectById(int programId) const;
    ProgramPtr getProgramObjectByName(const QString &name) const;
    ProgramPtr getProgramObjectByRow(int row) const;

    int addNewProtocol(const ProgramPtr &program);
    int addProtocol(const ProgramPtr &program, bool strictName);
    int findEqualProtocol(const ProgramPtr &program, bool strictName) const;
    int addProtocolFromJson(const QJsonObject &record);
    ProgramList programs() const;

    // A program a machine reported, in the form of its firmware; null when
    // the bytes do not make a valid program.
    static ProgramPtr createProgram(const QByteArray &data, int protocolVersion);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QHash<int, QByteArray> roleNames() const override;

public slots:
    void onUsageDataChanged();

signals:
    void countChanged(int count);
    void sortRoleChanged(const QString &roleName);

private:
    int rowOf(int programId) const;
    int rowOf(const QObject *program) const;
    // Whether a program other than the one in excludedRow (-1: none) has the name.
    bool isNameTaken(const QString &name, int excludedRow) const;
    static ProgramPtr programFromRecord(const QJsonObject &record);
    // Program::nextNumberedName, remembered: many copies of one name walk
    // the same numbered names again for every copy added.
    QString nextName(const QString &name) const;

    // Programs change their names only through this model, so a copy of
    // each row's name keeps look-ups by name cheap in a large library.
    void trackName(int row);
    void untrackName(int row);

    ProgramList m_programs;
    QVector<QString> m_names;
    QHash<QString, int> m_nameUse;
    mutable QHash<QString, QString> m_nextNames;
    const QHash<int, QByteArray> m_roleNames;
};

#endif // PROTOCOLSMODEL_H
