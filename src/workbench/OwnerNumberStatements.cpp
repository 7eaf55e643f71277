#include "workbench/OwnerNumberStatements.h"

#include "engine/OwnerNumberRule.h"
#include "platform/Database.h"

#include <cmath>

QString ownerIdText(const QString& idCell)
{
    const double value = leadingNumber(idCell);
    if (std::floor(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15);
}

QString saveOwnerNumberStatement(const QString& number, const QString& idCell)
{
    return QStringLiteral("Update 业主表 Set 业主编号 = '") + sqlEscape(number) + u'\'' +
           QStringLiteral(" Where ZH_ID =") + ownerIdText(idCell);
}

QString clearOwnerNumberStatement(const QString& idCell)
{
    return QStringLiteral("Update 业主表 Set 业主编号 = Null Where ZH_ID = ") + ownerIdText(idCell);
}
