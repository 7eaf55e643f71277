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

QString officeListSql()
{
    return QStringLiteral("Select GYD_DH,GYD_Name  ") + QStringLiteral(" From 设置管理处") +
           QStringLiteral(" Where (商用物业=0 or 商用物业=2) ") +
           QStringLiteral(" And GYD_DH In ('14','15','16','18','24')") + QStringLiteral(" Order By len(gyd_dh),GYD_dh");
}

QString buildingTreeSql(SqlDialect dialect, const QString& officeCode)
{
    const QString c = concatOperator(dialect);
    QString sql = QStringLiteral("Select");
    for (int k = 1; k <= 4; ++k) {
        sql += QStringLiteral(" (Case When [地址%1] Is Not Null Then [地址%1] Else '' End) ").arg(k) + c;
        sql += QStringLiteral(" (Case When [字%1] Is Not Null Then [字%1] Else '' End) ").arg(k);
        sql += k < 4 ? c : QStringLiteral("as 地址,L_ID");
    }
    // The closing quote runs straight into "Order By", as the system has always sent it.
    return sql + QStringLiteral(" From 楼表 Where  管理处='") + sqlEscape(officeCode) + u'\'' +
           QStringLiteral("Order By len(地址1),地址1,len(地址2),地址2,len(地址3),地址3,len(地址4),地址4");
}
