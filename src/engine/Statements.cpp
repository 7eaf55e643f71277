#include "engine/Statements.h"

#include "core/DeductionValue.h"
#include "engine/OwnerNumberRule.h"

namespace {
// A building's full address, its four parts and their words each taken as '' when Null.
QString addressExpression(SqlDialect dialect)
{
    QStringList terms;
    for (int k = 1; k <= 4; ++k)
        for (const char* column : {"地址", "字"})
            terms << QStringLiteral("(Case When [%1%2] Is Not Null Then [%1%2] Else '' End)")
                         .arg(QString::fromUtf8(column))
                         .arg(k);
    return terms.join(u' ' + concatOperator(dialect) + u' ');
}

// A list of ids, each checked to be a number.
QString idList(const QStringList& ids)
{
    QStringList checked;
    for (const QString& id : ids)
        checked << sqlNumber(id);
    return checked.join(u',');
}

const QString kNaturalAddressOrder =
    QStringLiteral("Order By len(地址1),地址1,len(地址2),地址2,len(地址3),地址3,len(地址4),地址4");

enum class GridKind { Candidate, Existing };

QString gridSql(SqlDialect dialect, const QString& officeCode, const QString& buildingList, GridKind kind)
{
    const bool existing = kind == GridKind::Existing;
    return QStringLiteral("Select 楼表.L_ID , 管理处 ,地址1, 字1, 地址2, 字2, 地址3, 字3, 地址4 , 字4,") +
           QStringLiteral(" 室表.室,室表.字,室表.S_ID ,") +
           (existing ? QStringLiteral(" 姓名 , ZH_ID, 进户日期, 说明, 业主表.业主编号, ")
                     : QStringLiteral(" 姓名 , ZH_ID, 进户日期, 说明,")) +
           u' ' + addressExpression(dialect) + QStringLiteral(" as 地址") + QStringLiteral(" From 楼表") +
           QStringLiteral(" Inner Join 室表 On 楼表.L_ID = 室表.L_ID") +
           QStringLiteral(" Left Join 业主表 On 室表.S_ID = 业主表.S_ID") + QStringLiteral(" Where  管理处 ='") +
           sqlEscape(officeCode) + QStringLiteral("'") + QStringLiteral(" And 楼表.L_ID in (") +
           idList(buildingList.split(u',')) + QStringLiteral(")") + QStringLiteral(" And 业主表.说明='新进户'") +
           (existing ? QStringLiteral(" And 业主表.业主编号 Is Not Null")
                     : QStringLiteral(" And 业主表.业主编号 Is Null")) +
           QStringLiteral(" Order By Len(地址1),地址1,len(地址2),地址2,len(地址3),地址3,len(地址4),地址4, 室");
}
} // namespace

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
    // The closing quote runs straight into "Order By", as the system has always sent it.
    return QStringLiteral("Select ") + addressExpression(dialect) + QStringLiteral(" as 地址,L_ID") +
           QStringLiteral(" From 楼表 Where  管理处='") + sqlEscape(officeCode) + u'\'' + kNaturalAddressOrder;
}

QString candidateGridSql(SqlDialect dialect, const QString& officeCode, const QString& buildingList)
{
    return gridSql(dialect, officeCode, buildingList, GridKind::Candidate);
}

QString existingGridSql(SqlDialect dialect, const QString& officeCode, const QString& buildingList)
{
    return gridSql(dialect, officeCode, buildingList, GridKind::Existing);
}

QString resaleCountsSql(const QString& buildingList)
{
    return QStringLiteral("Select 业主表.S_ID, COUNT(业主表.zh_id) as 转卖次数 From 业主表") +
           QStringLiteral(
               " Where 业主表.说明='迁出' And 业主表.S_ID In (Select 室表.S_ID From 室表 Where 室表.L_ID in (") +
           idList(buildingList.split(u',')) + QStringLiteral(")) Group By 业主表.S_ID");
}

QString storedNumbersSql(const QString& officeCode, GridNumbers grid, const QStringList& prefixes)
{
    const auto startsWith = [](QString prefix) {
        prefix.replace(u'!', QStringLiteral("!!"))
            .replace(u'%', QStringLiteral("!%"))
            .replace(u'_', QStringLiteral("!_"));
        return QStringLiteral("业主编号 Like '") + sqlEscape(prefix) + QStringLiteral("%' Escape '!'");
    };
    const QString like = startsWith(officeCode);
    if (grid == GridNumbers::Proposed && !prefixes.isEmpty()) {
        QStringList likes;
        for (const QString& prefix : prefixes)
            likes << startsWith(prefix);
        return QStringLiteral("Select 业主编号, ZH_ID From 业主表 Where ") + likes.join(QStringLiteral(" Or "));
    }
    if (grid == GridNumbers::Proposed)
        return QStringLiteral("Select 业主编号, ZH_ID From 业主表 Where ") + like;
    return QStringLiteral("Select 业主编号, ZH_ID From 业主表 Where 业主编号 In (Select 业主编号 From 业主表 Where ") +
           like + QStringLiteral(" Group By 业主编号 Having Count(*) > 1)");
}

QString ownersSql(SqlDialect dialect, const QStringList& ownerIds)
{
    return QStringLiteral("Select 业主表.ZH_ID, 业主表.姓名, ") + addressExpression(dialect) + u' ' +
           concatOperator(dialect) +
           QStringLiteral(" (Case When 室表.室 Is Not Null Then 室表.室 Else '' End) as 地址") +
           QStringLiteral(
               " From 业主表 Left Join 室表 On 室表.S_ID = 业主表.S_ID Left Join 楼表 On 楼表.L_ID = 室表.L_ID") +
           QStringLiteral(" Where 业主表.ZH_ID In (") + idList(ownerIds) + u')';
}

QString currentNumbersSql(const QStringList& ownerIdCells)
{
    QStringList ids;
    for (const QString& cell : ownerIdCells)
        ids << ownerIdText(cell);
    return QStringLiteral("Select ZH_ID, 业主编号 From 业主表 Where 业主编号 Is Not Null And ZH_ID In (") +
           idList(ids) + u')';
}

QString privilegeQuery(const QString& postCode, const QString& memo)
{
    return QStringLiteral("SELECT DISTINCT 岗位权限设置.id , 岗位权限设置.组代号, 岗位权限设置.岗位代号, "
                          "岗位权限设置.授权, GroupPrivilege.FormName, GroupPrivilege.Popedom") +
           QStringLiteral(
               " FROM  岗位权限设置 INNER JOIN GroupPrivilege ON 岗位权限设置.组代号 = GroupPrivilege.GroupID") +
           QStringLiteral(" Where 授权 = 1 AND 岗位代号='") + sqlEscape(postCode) + QStringLiteral("'") +
           QStringLiteral(" AND Memo='") + sqlEscape(memo) + QStringLiteral("'") +
           QStringLiteral(" ORDER BY GroupPrivilege.Popedom");
}

QString deductionSettingSql()
{
    return QStringLiteral("Select *") + QStringLiteral(" From systemsetup") + QStringLiteral(" Where code ='") +
           sqlEscape(DeductionValue::kSettingCode) + u'\'';
}
