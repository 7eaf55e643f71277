#include "engine/OwnerNumberStatements.h"

#include "core/Database.h"
#include "engine/OwnerNumberRule.h"

QString ownerIdText(const QString& idCell)
{
    // Val's reading, but kept as digits: through a double, ids past 2^53 would name a neighbour.
    QString number = leadingNumberText(idCell);
    const bool negative = number.startsWith(u'-');
    if (negative)
        number.remove(0, 1);
    const int point = number.indexOf(u'.');
    QString whole = point < 0 ? number : number.left(point);
    QString fraction = point < 0 ? QString() : number.mid(point + 1);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    int first = 0; // leadingNumberText gives at least one whole digit
    while (first < whole.size() - 1 && whole[first] == u'0')
        ++first;
    whole = whole.mid(first);
    QString text = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    if (negative && text != QStringLiteral("0"))
        text.prepend(u'-');
    return text;
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
