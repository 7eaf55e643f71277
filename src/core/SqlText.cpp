#include "core/SqlText.h"

#include "core/RuntimeError.h"

QString concatOperator(SqlDialect dialect)
{
    return dialect == SqlDialect::SQLite ? QStringLiteral("||") : QStringLiteral("+");
}

QString sqlEscape(const QString& text)
{
    QString escaped = text;
    escaped.replace(u'\'', QStringLiteral("''"));
    return escaped;
}

QString sqlNumber(const QString& text)
{
    // Checked by hand: it runs once per grid row.
    const QString trimmed = text.trimmed();
    int i = trimmed.startsWith(u'-') ? 1 : 0;
    bool whole = i < trimmed.size();
    for (; i < trimmed.size() && whole; ++i)
        whole = trimmed[i] >= u'0' && trimmed[i] <= u'9';
    if (!whole)
        throw RuntimeError(ErrorNumber::TypeMismatch, QStringLiteral("类型不匹配：“%1”不是数字编号。").arg(text));
    return trimmed;
}
