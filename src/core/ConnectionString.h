#pragma once

#include <QList>
#include <QPair>
#include <QString>

// An OLE DB connection string, parsed: keys in canonical lower-case form ("data source",
// "initial catalog", "user id", "password", "integrated security", "connect timeout",
// "provider", "driver", or the key itself lower-cased when it has no synonym).
struct ConnectionSettings
{
    QList<QPair<QString, QString>> pairs; // in first-appearance order, after the repeat rules
    QString value(const QString& canonicalKey) const;
    bool contains(const QString& canonicalKey) const;
};

struct ConnectionStringParse
{
    bool ok = false;
    QString error; // why it does not parse, in Chinese, when !ok
    ConnectionSettings settings;
};

ConnectionStringParse parseConnectionString(const QString& text);
// The settings of a connection string that must parse: RuntimeError (the format's error) if not.
ConnectionSettings parsedConnectionString(const QString& text);

// The canonical name of a key ("Server" -> "data source").
QString canonicalConnectionKey(const QString& key);

// A value as it must be written after "key=" so that parsing gives it back unchanged:
// verbatim unless it holds ';', a quote or outer blanks or starts with '=', then in double quotes.
QString connectionStringValue(const QString& value);

// The same for a value the template writes between single quotes: the single-quoted form
// unless that would break, then the double-quoted one.
QString connectionStringSingleQuoted(const QString& value);
