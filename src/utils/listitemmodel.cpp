#include "listitemmodel.h"

QModelIndex ListItemModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex ListItemModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int ListItemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ListItemModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}
