#ifndef STEPLIST_H
#define STEPLIST_H

#include <QAbstractListModel>
#include <QVariantMap>

// The steps of the protocol an editor works on: flat records whose keys are
// the step-format names plus "hidden", at most 20 of them. The editor's step
// views read and write single values; the list hands the whole protocol on
// as the JSON text the core takes.
class StepList : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    // The kind of each step, in order; changes only when steps come or go.
    Q_PROPERTY(QStringList objectTypes READ objectTypes NOTIFY countChanged)

public:
    enum Roles { ObjectTypeRole = Qt::UserRole + 1, HiddenRole };

    explicit StepList(QObject *parent = nullptr);

    static constexpr int maxStepCount = 20;
    static QString hiddenKey() { return QStringLiteral("hidden"); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return m_records.size(); }
    QStringList objectTypes() const;

    // A new step of a kind with its defaults; false when the list is full or
    // the kind is unknown.
    Q_INVOKABLE bool append(const QString &objectType);
    Q_INVOKABLE void remove(int row);
    // Rebuilds the records from stored step objects: defaults of each kind,
    // replaced key by key by the stored values.
    Q_INVOKABLE void load(const QVariant &storedSteps);
    Q_INVOKABLE void clear();

    Q_INVOKABLE QVariant value(int row, const QString &key) const;
    Q_INVOKABLE void setValue(int row, const QString &key, const QVariant &value);
    Q_INVOKABLE void setAll(const QString &key, const QVariant &value);
    Q_INVOKABLE int firstRowOf(const QStringList &objectTypes) const;

    // Compact JSON array of the records, keys sorted.
    Q_INVOKABLE QString toJson() const;
    // The first row holding the unset value -1 in a key that must be set, or -1.
    Q_INVOKABLE int firstUnsetRow() const;

    static QVariantMap defaults(const QString &objectType);

signals:
    void countChanged();

private:
    QVector<QVariantMap> m_records;
};

#endif // STEPLIST_H
