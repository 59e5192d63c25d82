#ifndef LIBRARYFIXTURES_H
#define LIBRARYFIXTURES_H

// Library programs for the model tests: small heat-block programs whose
// content differs by their temperature.

#include "../program/programfixtures.h"
#include "models/protocolsmodel.h"

#include <QJsonArray>
#include <QStringList>

namespace Library {

inline ProgramPtr heatBlock(const QString &name, double temp = 95.0)
{
    return ProgramPtr(new ProgramV3(name, Fixtures::bytes({Fixtures::heatBlockStep(temp, 60)}),
                                    true, Program::PT_HEAT_BLOCK));
}

// Adds one program per name, in order; answers their ids.
inline QList<int> addAll(ProtocolsModel &model, const QStringList &names)
{
    QList<int> ids;
    for (const QString &name : names)
        ids.append(model.addNewProtocol(heatBlock(name)));
    return ids;
}

inline QStringList names(const QAbstractItemModel &model)
{
    QStringList list;
    for (int row = 0; row < model.rowCount(); ++row)
        list.append(model.index(row, 0).data(ProtocolsModel::ProtocolNameRole).toString());
    return list;
}

} // namespace Library

#endif // LIBRARYFIXTURES_H
