#ifndef LISTITEMMODEL_H
#define LISTITEMMODEL_H

#include <QAbstractItemModel>

// The base of the models the UI shows as a flat list in one column: only
// top-level rows exist, and an index outside them is invalid, as views and
// the model tester expect.
class ListItemModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    using QAbstractItemModel::QAbstractItemModel;

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;

    // The number of rows.
    virtual int count() const = 0;
};

#endif // LISTITEMMODEL_H
