#include "main_window/MenuPrivileges.h"

#include "engine/Statements.h"
#include "startup/Module1.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

namespace {
void collect(const QList<QAction*>& actions, QList<MenuItem>& items)
{
    for (QAction* action : actions) {
        if (QMenu* menu = action->menu()) {
            items.append({menu->objectName(), menu->title(), action});
            collect(menu->actions(), items);
        } else {
            items.append({action->objectName(), action->isSeparator() ? QStringLiteral("-") : action->text(), action});
        }
    }
}

// A field read into a text variable: SQL NULL cannot be.
QString nonNullText(const QVariant& value)
{
    if (value.isNull())
        throw RuntimeError(ErrorNumber::InvalidUseOfNull, QStringLiteral("无效使用 Null"));
    return value.toString();
}

// A field converted to a boolean: a number is true unless zero, a text may also say True or False.
bool flagOf(const QVariant& value)
{
    if (value.isNull())
        throw RuntimeError(ErrorNumber::InvalidUseOfNull, QStringLiteral("无效使用 Null"));
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (isNumber)
        return number != 0;
    const QString text = value.toString().trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    throw RuntimeError(ErrorNumber::TypeMismatch, QStringLiteral("类型不匹配：“%1”不是是否值。").arg(text));
}
} // namespace

QList<MenuItem> menuItems(const QMenuBar& bar)
{
    QList<MenuItem> items;
    collect(bar.actions(), items);
    return items;
}

bool isAlwaysKept(const MenuItem& item)
{
    static const QStringList kept{QStringLiteral("注销"),     QStringLiteral("关于"), QStringLiteral("关于软件"),
                                  QStringLiteral("联系我们"), QStringLiteral("退出"), QStringLiteral("退出系统"),
                                  QStringLiteral("其它模块")};
    return kept.contains(item.name) || item.caption == QStringLiteral("-");
}

void applyPostPrivileges(const QMenuBar& bar, const QString& postCode, const QString& memo)
{
    const QList<MenuItem> items = menuItems(bar);
    try {
        for (const MenuItem& item : items)
            if (!isAlwaysKept(item))
                item.action->setEnabled(false);

        QStringList names;
        QList<bool> flags;
        Recordset rs = gConn().openRecordset(privilegeQuery(postCode, memo));
        while (!rs.eof()) {
            names.append(nonNullText(rs.field(QStringLiteral("FormName"))));
            flags.append(flagOf(rs.field(QStringLiteral("Popedom"))));
            rs.moveNext();
        }
        // The lists keep one empty entry past the last row; no item is nameless, so it matches none.
        names.append(QString());
        flags.append(false);

        for (qsizetype k = 0; k < names.size(); ++k) {
            for (const MenuItem& item : items) {
                if (!item.name.isEmpty() && item.name == names[k]) {
                    item.action->setEnabled(false);
                    item.action->setEnabled(flags[k]);
                    break;
                }
            }
        }
    } catch (const RuntimeError& e) {
        MsgBox(QStringLiteral("错误号：") + QString::number(e.number()) + QStringLiteral("\r\n") +
                   QStringLiteral("错误描述：") + e.description(),
               MsgButtons::OK, MsgIcon::Information, QStringLiteral("提示"));
    }
}
