#ifndef CHARTDATACONTAINER_H
#define CHARTDATACONTAINER_H

#include "chartdata.h"

#include <QObject>
#include <QVector>

// An ordered series of chart points that a device fills during a run and the
// running view, the run-data export and the device record read.
class ChartDataContainer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit ChartDataContainer(QObject *parent = nullptr);

    int count() const;
    QVector<ChartData> points() const;

    Q_INVOKABLE void clear();
    // Out-of-range indexes read as 0.0.
    Q_INVOKABLE double xAt(int index) const;
    Q_INVOKABLE double yAt(int index) const;

    virtual void append(const ChartData &point);

signals:
    void countChanged();

protected:
    // The point lies before the last one: the machine started a new run.
    bool goesBack(const ChartData &point) const;
    // Points are times, temperatures, cycles or copies: never negative, and a
    // machine's NaN or infinity is as unusable as a negative value.
    static bool isValid(const ChartData &point);
    // Drops every point without telling anyone; the caller signals.
    void removeAll();
    bool isEmpty() const;
    const ChartData &last() const;

private:
    QVector<ChartData> m_points;
};

#endif // CHARTDATACONTAINER_H
