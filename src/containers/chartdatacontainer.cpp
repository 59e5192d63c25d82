#include "chartdatacontainer.h"

#include <QDebug>

#include <cmath>

ChartDataContainer::ChartDataContainer(QObject *parent)
    : QObject(parent)
{}

int ChartDataContainer::count() const
{
    return m_points.size();
}

QVector<ChartData> ChartDataContainer::points() const
{
    return m_points;
}

void ChartDataContainer::clear()
{
    qDebug() << "CLEAR CHART DATA";
    if (m_points.isEmpty())
        return;
    m_points.clear();
    emit countChanged();
}

double ChartDataContainer::xAt(int index) const
{
    return index >= 0 && index < m_points.size() ? m_points.at(index).x : 0.0;
}

double ChartDataContainer::yAt(int index) const
{
    return index >= 0 && index < m_points.size() ? m_points.at(index).y : 0.0;
}

void ChartDataContainer::append(const ChartData &point)
{
    m_points.append(point);
    emit countChanged();
}

bool ChartDataContainer::goesBack(const ChartData &point) const
{
    return !m_points.isEmpty() && m_points.last().x > point.x;
}

bool ChartDataContainer::isValid(const ChartData &point)
{
    return std::isfinite(point.x) && std::isfinite(point.y) && point.x >= 0 && point.y >= 0;
}

void ChartDataContainer::removeAll()
{
    m_points.clear();
}

bool ChartDataContainer::isEmpty() const
{
    return m_points.isEmpty();
}

const ChartData &ChartDataContainer::last() const
{
    return m_points.last();
}
