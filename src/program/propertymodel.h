#ifndef PROPERTYMODEL_H
#define PROPERTYMODEL_H

#include "utils/listitemmodel.h"

#include <QList>
#include <QPair>
#include <QVariantMap>

// The settings of a program as rows for the running view: headers, plain
// values and time-and-temperature pairs, in one column.
class PropertyModel : public ListItemModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Roles {
        PropertyNameRole = Qt::UserRole + 1,
        PropertyValueRole,
        PropertyTimeRole,
        PropertyTempRole,
        PropertyIsHeaderRole
    };

    // Which entry of a row a value fills.
    enum class ValueKind { Value, Time, Temp };
    using KindValue = QPair<ValueKind, QVariant>;

    explicit PropertyModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const override;

    void addHeader(const QString &name);
    void addTimeTemp(const QString &name, double seconds, double temperature);
    void addValues(const QString &name, const QList<KindValue> &values);
    void addValue(const QString &name, ValueKind kind, const QVariant &value);
    void clear();

    // Row texts, also used wherever the UI shows the same quantities.
    static QString secondsText(double seconds);
    static QString temperatureText(double temperature);
    // "1h 2m 5s"; parts that are zero are left out, so 0 s gives "".
    static QString durationText(qint64 seconds);

signals:
    void countChanged();

private:
    void appendRow(const QVariantMap &row);

    QList<QVariantMap> m_rows;
};

#endif // PROPERTYMODEL_H
