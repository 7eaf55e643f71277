#pragma once

// How the two readers of an ODBC connection string on this platform split it into keys and
// values, written from their sources (unixODBC 2.3.11's driver manager, which picks the driver
// library from DRIVER, and FreeTDS 1.3.17's driver). Both stop at a NUL.

#include <QList>
#include <QPair>
#include <QString>

using OdbcPairs = QList<QPair<QString, QString>>;

namespace odbc_readers_detail {

inline qsizetype endOfString(const QString& s)
{
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s.size() : nul;
}

inline bool isCSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// A repeated key replaces the earlier value in place (driver manager) or is simply read
// again (FreeTDS): either way the last one counts. Keys compare case-insensitively.
inline void put(OdbcPairs& pairs, const QString& key, const QString& value)
{
    for (auto& pair : pairs)
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0) {
            pair.second = value;
            return;
        }
    pairs.append({key, value});
}

} // namespace odbc_readers_detail

// The copy of a wide connection string the driver manager parses for itself: each UTF-16 unit
// cut to its low byte (the driver still receives the wide string).
inline QString narrowedAsDriverManager(const QString& s)
{
    QString narrowed;
    narrowed.reserve(s.size());
    for (const QChar c : s)
        narrowed += QChar(c.unicode() & 0xFF);
    return narrowed;
}

// The driver manager: blanks and ';' before a key are skipped; the key runs to '='. A value in
// braces runs to the first '}' that is not doubled ("}}" stands for '}'); any other value to ';'.
inline OdbcPairs readAsDriverManager(const QString& s)
{
    using namespace odbc_readers_detail;
    const qsizetype n = endOfString(s);
    OdbcPairs pairs;
    qsizetype i = 0;
    for (;;) {
        while (i < n && (isCSpace(s[i]) || s[i] == u';'))
            ++i;
        if (i >= n)
            break;
        const qsizetype equals = s.indexOf(u'=', i);
        if (equals < 0 || equals >= n)
            break;
        const QString key = s.mid(i, equals - i);
        i = equals + 1;
        QString value;
        if (i < n && s[i] == u'{') {
            ++i;
            while (i < n && (s[i] != u'}' || (i + 1 < n && s[i + 1] == u'}'))) {
                value += s[i];
                i += s[i] == u'}' ? 2 : 1;
            }
            if (i < n)
                ++i; // the closing brace
        } else {
            while (i < n && s[i] != u';')
                value += s[i++];
        }
        put(pairs, key, value);
    }
    return pairs;
}

// FreeTDS: ';' before a key are skipped and blanks at its start; the key runs to '='. A value in
// braces runs to the first "};" (or to the end); any other value to ';'.
inline OdbcPairs readAsFreeTds(const QString& s)
{
    using namespace odbc_readers_detail;
    const qsizetype n = endOfString(s);
    OdbcPairs pairs;
    qsizetype i = 0;
    while (i < n) {
        while (i < n && s[i] == u';')
            ++i;
        const qsizetype equals = s.indexOf(u'=', i);
        if (equals < 0 || equals >= n)
            break;
        while (i < equals && s[i] == u' ')
            ++i;
        const QString key = s.mid(i, equals - i);
        i = equals + 1;
        qsizetype end;
        if (i < n && s[i] == u'{') {
            ++i;
            end = i;
            while (end < n && !(s[end] == u'}' && end + 1 < n && s[end + 1] == u';'))
                ++end;
        } else {
            end = s.indexOf(u';', i);
            if (end < 0 || end > n)
                end = n;
        }
        put(pairs, key, s.mid(i, end - i));
        i = end;
        if (i >= n)
            break;
        if (s[i] == u'}')
            ++i;
        ++i;
    }
    return pairs;
}

inline QByteArray shownOdbc(const OdbcPairs& pairs)
{
    QByteArray out;
    for (const auto& [k, v] : pairs)
        out += k.toUtf8() + "=[" + v.toUtf8() + "] ";
    return out;
}
