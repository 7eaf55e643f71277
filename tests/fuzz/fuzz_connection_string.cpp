// The connection string comes from the launcher or from a settings file people write by hand.
// Properties: parsing never crashes; what parses, written back and parsed again, gives the same
// pairs; a value written by the quoting helpers comes back unchanged without adding a key; and
// the ODBC string built from it holds exactly the keys we mean, as both the unixODBC driver
// manager and FreeTDS read it.

#include "FuzzInput.h"
#include "OdbcReaders.h"
#include "core/ConnectionString_p.h"
#include "core/Database.h"
#include "core/OdbcConnectionString_p.h"

namespace {

QByteArray shownPairs(const QList<QPair<QString, QString>>& pairs)
{
    QByteArray out;
    for (const auto& [k, v] : pairs)
        out += fuzz::shown(k) + "=" + fuzz::shown(v) + " ";
    return out;
}

void checkRoundTrip(const QString& text)
{
    const ConnectionStringParse parsed = parseConnectionString(text);
    if (!parsed.ok) {
        FUZZ_CHECK(parsed.settings.pairs.isEmpty() && !parsed.error.isEmpty(), fuzz::shown(parsed.error));
        return;
    }
    const QString written = formatConnectionString(parsed.settings);
    const ConnectionStringParse again = parseConnectionString(written);
    FUZZ_CHECK(again.ok, fuzz::shown(written) + " " + fuzz::shown(again.error));
    FUZZ_CHECK(again.settings.pairs == parsed.settings.pairs, fuzz::shown(written) + "\n" +
                                                                  shownPairs(parsed.settings.pairs) + "\n" +
                                                                  shownPairs(again.settings.pairs));
}

void checkQuoting(const QString& value)
{
    const QString text = QStringLiteral("Password=") + connectionStringValue(value) +
                         QStringLiteral(";Initial Catalog=") + connectionStringSingleQuoted(value) +
                         QStringLiteral(";Data Source='x'");
    const ConnectionStringParse parsed = parseConnectionString(text);
    FUZZ_CHECK(parsed.ok, fuzz::shown(text) + " " + fuzz::shown(parsed.error));
    FUZZ_CHECK(parsed.settings.pairs.size() == 3, fuzz::shown(text) + "\n" + shownPairs(parsed.settings.pairs));
    FUZZ_CHECK(parsed.settings.value(QStringLiteral("password")) == value,
               fuzz::shown(text) + "\n" + shownPairs(parsed.settings.pairs));
    FUZZ_CHECK(parsed.settings.value(QStringLiteral("initial catalog")) == value,
               fuzz::shown(text) + "\n" + shownPairs(parsed.settings.pairs));
}

// The keys and values the ODBC string is meant to carry for a parsed connection string.
OdbcPairs intendedOdbcPairs(const ConnectionSettings& s, const QString& server)
{
    const QString driver =
        s.contains(QStringLiteral("driver")) ? s.value(QStringLiteral("driver")) : QStringLiteral("FreeTDS");
    const bool freeTds = driver.compare(QStringLiteral("FreeTDS"), Qt::CaseInsensitive) == 0;
    OdbcPairs pairs{{QStringLiteral("DRIVER"), driver}};
    if (!server.isEmpty())
        pairs.append({QStringLiteral("SERVER"), server});
    const QString catalog = s.value(QStringLiteral("initial catalog"));
    if (!catalog.isEmpty())
        pairs.append({QStringLiteral("DATABASE"), catalog});
    const QString integrated = s.value(QStringLiteral("integrated security")).trimmed().toLower();
    if (integrated == QStringLiteral("sspi") || integrated == QStringLiteral("true") ||
        integrated == QStringLiteral("yes")) {
        pairs.append({QStringLiteral("Trusted_Connection"), QStringLiteral("Yes")});
    } else {
        pairs.append({QStringLiteral("UID"), s.value(QStringLiteral("user id"))});
        pairs.append({QStringLiteral("PWD"), s.value(QStringLiteral("password"))});
    }
    if (freeTds) {
        pairs.append({QStringLiteral("TDS_Version"), QStringLiteral("7.4")});
        pairs.append({QStringLiteral("ClientCharset"), QStringLiteral("UTF-8")});
    }
    return pairs;
}

void checkOdbc(const QString& connectionString)
{
    QString odbc;
    try {
        odbc = odbcConnectionStringOf(connectionString);
    } catch (const RuntimeError& e) {
        FUZZ_CHECK(!e.description().isEmpty(), fuzz::shown(connectionString));
        return; // refused with a message: sound
    }
    const ConnectionStringParse parsed = parseConnectionString(connectionString);
    FUZZ_CHECK(parsed.ok, fuzz::shown(connectionString));
    // A driver is a name the driver manager knows, never a library it would load from a path.
    const QString driver = parsed.settings.value(QStringLiteral("driver")).trimmed();
    FUZZ_CHECK(!driver.contains(u'/') && !driver.contains(u'\\') &&
                   !driver.endsWith(QStringLiteral(".so"), Qt::CaseInsensitive) &&
                   !driver.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive),
               fuzz::shown(connectionString));

    const OdbcPairs freeTds = readAsFreeTds(odbc);
    const OdbcPairs manager = readAsDriverManager(narrowedAsDriverManager(odbc));
    const QByteArray detail = fuzz::shown(connectionString) + "\n -> " + fuzz::shown(odbc);

    // The server may be rewritten for FreeTDS (blanks, "tcp:", local names); take it as
    // built, but it must be one SERVER key and never empty for FreeTDS.
    QString server;
    for (const auto& [k, v] : freeTds)
        if (k == QStringLiteral("SERVER"))
            server = v;
    const OdbcPairs intended = intendedOdbcPairs(parsed.settings, server);
    FUZZ_CHECK(freeTds == intended, detail + "\nFreeTDS reads " + shownOdbc(freeTds));
    // The driver manager reads the narrowed copy: the same keys in the same order (a unit whose
    // low byte is NUL may end its copy early), every value narrowed, DRIVER first.
    FUZZ_CHECK(!manager.isEmpty() && manager.size() <= intended.size(),
               detail + "\ndriver manager reads " + shownOdbc(manager));
    for (qsizetype i = 0; i < manager.size(); ++i) {
        const QString value = narrowedAsDriverManager(intended[i].second);
        const bool last = i + 1 == manager.size();
        FUZZ_CHECK(manager[i].first == intended[i].first &&
                       (manager[i].second == value || (last && value.startsWith(manager[i].second))),
                   detail + "\ndriver manager reads " + shownOdbc(manager));
    }

    const QString dataSource = parsed.settings.value(QStringLiteral("data source")).trimmed();
    const bool freeTdsDriver = intended.first().second.compare(QStringLiteral("FreeTDS"), Qt::CaseInsensitive) == 0;
    if (!freeTdsDriver)
        FUZZ_CHECK(server == parsed.settings.value(QStringLiteral("data source")), detail);
    else if (!dataSource.startsWith(QStringLiteral("tcp:"), Qt::CaseInsensitive) && !dataSource.startsWith(u'.') &&
             !dataSource.startsWith(QStringLiteral("(local)"), Qt::CaseInsensitive) &&
             !dataSource.startsWith(QStringLiteral("localhost"), Qt::CaseInsensitive))
        FUZZ_CHECK(server == dataSource, detail);
    else
        FUZZ_CHECK(!server.isEmpty(), detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = fuzz::text(data, size);
    checkRoundTrip(input);
    checkQuoting(input);
    checkOdbc(input);
    // The same text as each value the ODBC string carries, so every value meets the quoting.
    for (const char* key : {"Password", "User ID", "Initial Catalog", "Data Source", "Driver"})
        checkOdbc(QStringLiteral("Provider=SQLOLEDB;Data Source=db;") + QLatin1String(key) + u'=' +
                  connectionStringValue(input));
    return 0;
}
