#include "core/ConnectionString.h"
#include "core/ConnectionString_p.h"
#include "core/RuntimeError.h"

#include <QHash>

QString ConnectionSettings::value(const QString& canonicalKey) const
{
    for (const auto& [k, v] : pairs)
        if (k == canonicalKey)
            return v;
    return {};
}

bool ConnectionSettings::contains(const QString& canonicalKey) const
{
    for (const auto& pair : pairs)
        if (pair.first == canonicalKey)
            return true;
    return false;
}

QString canonicalConnectionKey(const QString& key)
{
    static const QHash<QString, QString> synonyms{
        {QStringLiteral("server"), QStringLiteral("data source")},
        {QStringLiteral("address"), QStringLiteral("data source")},
        {QStringLiteral("addr"), QStringLiteral("data source")},
        {QStringLiteral("network address"), QStringLiteral("data source")},
        {QStringLiteral("database"), QStringLiteral("initial catalog")},
        {QStringLiteral("uid"), QStringLiteral("user id")},
        {QStringLiteral("user"), QStringLiteral("user id")},
        {QStringLiteral("pwd"), QStringLiteral("password")},
        {QStringLiteral("trusted_connection"), QStringLiteral("integrated security")},
        {QStringLiteral("connection timeout"), QStringLiteral("connect timeout")},
    };
    const QString lower = key.toLower();
    return synonyms.value(lower, lower);
}

namespace {
// The blanks trimmed around keys and values.
bool isTrimmedBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}
} // namespace

ConnectionStringParse parseConnectionString(const QString& text)
{
    ConnectionStringParse result;
    const int n = text.size();
    int i = 0;
    auto fail = [&](const QString& why) {
        result.ok = false;
        result.error = QStringLiteral("连接字符串格式错误：") + why;
        result.settings.pairs.clear();
        return result;
    };
    while (i < n) {
        // Key: up to a single '=', where "==" stands for a literal '='.
        while (i < n && (isTrimmedBlank(text[i]) || text[i] == u';'))
            ++i;
        if (i >= n)
            break;
        QString key;
        bool sawEquals = false;
        while (i < n) {
            if (text[i] == u'=') {
                if (i + 1 < n && text[i + 1] == u'=') {
                    key += u'=';
                    i += 2;
                    continue;
                }
                sawEquals = true;
                ++i;
                break;
            }
            if (text[i] == u';')
                break;
            key += text[i++];
        }
        key = key.trimmed();
        if (!sawEquals)
            return fail(QStringLiteral("“%1”后缺少“=”").arg(key));
        if (key.isEmpty())
            return fail(QStringLiteral("第 %1 个字符处缺少关键字").arg(i));

        // Value: quoted (quote doubled inside) or up to the next ';', blanks trimmed.
        while (i < n && isTrimmedBlank(text[i]))
            ++i;
        QString value;
        if (i < n && (text[i] == u'\'' || text[i] == u'"')) {
            const QChar quote = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                return fail(QStringLiteral("“%1”的值缺少结束引号").arg(key));
            while (i < n && isTrimmedBlank(text[i]))
                ++i;
            if (i < n && text[i] != u';')
                return fail(QStringLiteral("“%1”的值在引号之后还有多余的字符").arg(key));
        } else {
            while (i < n && text[i] != u';')
                value += text[i++];
            value = value.trimmed();
        }
        if (i < n)
            ++i; // the ';'

        const QString canonical = canonicalConnectionKey(key);
        auto& pairs = result.settings.pairs;
        auto it = std::find_if(pairs.begin(), pairs.end(), [&](const auto& p) { return p.first == canonical; });
        if (it == pairs.end())
            pairs.append({canonical, value});
        else if (canonical != QStringLiteral("provider")) // the first Provider wins, any other key the last
            it->second = value;
    }
    result.ok = true;
    return result;
}

QString connectionStringValue(const QString& value)
{
    // Bare, a value loses whatever trimming drops (any Unicode blank, not only ASCII ones), and a
    // leading '=' would read as "==", a literal '=' of the key.
    const bool needsQuotes =
        value.contains(u';') || value.contains(u'\'') || value.contains(u'"') ||
        (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace() || value.front() == u'='));
    if (!needsQuotes)
        return value;
    QString doubled = value;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

QString connectionStringSingleQuoted(const QString& value)
{
    // Between single quotes ';', '"' and outer blanks are safe; only a single quote is not.
    if (value.contains(u'\''))
        return connectionStringValue(value);
    return u'\'' + value + u'\'';
}

QString formatConnectionString(const ConnectionSettings& settings)
{
    QStringList parts;
    for (const auto& [k, v] : settings.pairs) {
        QString key = k;
        key.replace(u'=', QStringLiteral("=="));
        parts << key + u'=' + connectionStringValue(v);
    }
    return parts.join(u';');
}

ConnectionSettings parsedConnectionString(const QString& text)
{
    ConnectionStringParse parsed = parseConnectionString(text);
    if (!parsed.ok)
        throw RuntimeError(ErrorNumber::BadConnectionString, parsed.error);
    return parsed.settings;
}
