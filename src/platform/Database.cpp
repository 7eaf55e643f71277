#include "platform/Database.h"

#include "platform/ConnectionString.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <sqlite3.h>

namespace {
// ADO's numbers for the failures we detect ourselves, so the user sees familiar codes.
constexpr long kBadConnectionString = -2147217805; // format of the initialization string
constexpr long kProviderNotFound = 3706;
constexpr long kGenericFailure = -2147467259;
constexpr long kConnectionClosed = 3709;
constexpr long kItemNotFound = 3265;
constexpr long kNoCurrentRecord = 3021;
constexpr long kTypeMismatch = 13;

RuntimeError notOpen()
{
    return RuntimeError(kConnectionClosed, QStringLiteral("连接未打开，无法执行此操作。"));
}

// T-SQL's LEN: characters without the trailing blanks; NULL stays NULL.
void sqlLen(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const unsigned char*>(sqlite3_value_text(argv[0]));
    int bytes = sqlite3_value_bytes(argv[0]);
    while (bytes > 0 && text[bytes - 1] == ' ')
        --bytes;
    sqlite3_int64 chars = 0;
    for (int i = 0; i < bytes; ++i)
        if ((text[i] & 0xC0) != 0x80)
            ++chars;
    sqlite3_result_int64(context, chars);
}

QString braced(const QString& key, const QString& value)
{
    // A NUL ends the string for the driver manager and the driver alike: the keys after it would be lost.
    if (value.contains(QChar(0)))
        throw RuntimeError(kBadConnectionString,
                           QStringLiteral("连接字符串中“%1”的值含有空字符，无法传给 ODBC 驱动程序。").arg(key));
    // Braces only where needed: FreeTDS honours them, but some drivers (SQLite's) take them literally.
    // unixODBC and FreeTDS both read a bare value up to the next ';'; only a leading '{' opens braces.
    static const QRegularExpression plain(QStringLiteral("^[^;{\\s]([^;]*[^;\\s])?$"));
    if (value.isEmpty() || plain.match(value).hasMatch())
        return key + u'=' + value + u';';
    // In braces unixODBC ends the value at the first '}', FreeTDS at the first "};": with a '}'
    // inside, the rest could be read as keys of its own, DRIVER (the library loaded) included.
    if (value.contains(u'}'))
        throw RuntimeError(kBadConnectionString,
                           QStringLiteral("连接字符串中“%1”的值含有“}”，又含有“;”、以“{”开头或首尾有空白，"
                                          "无法传给 ODBC 驱动程序。")
                               .arg(key));
    return key + QStringLiteral("={") + value + QStringLiteral("};");
}

bool isSqlServerProvider(const QString& provider)
{
    const QString p = provider.toLower();
    return p == QStringLiteral("sqloledb") || p == QStringLiteral("sqloledb.1") || p.startsWith(u"msoledbsql") ||
           p.startsWith(u"sqlncli");
}

// FreeTDS understands "host", "host,port" and "host\instance"; map the forms it does not.
QString freeTdsServer(QString server)
{
    server = server.trimmed();
    if (server.startsWith(QStringLiteral("tcp:"), Qt::CaseInsensitive))
        server = server.mid(4);
    static const QRegularExpression local(QStringLiteral("^(\\(local\\)|\\.|localhost)(?=$|[\\\\,])"),
                                          QRegularExpression::CaseInsensitiveOption);
    server.replace(local, QStringLiteral("127.0.0.1"));
    return server;
}

bool isTrue(const QString& value)
{
    const QString v = value.trimmed().toLower();
    return v == QStringLiteral("sspi") || v == QStringLiteral("true") || v == QStringLiteral("yes");
}
} // namespace

void registerSqlLen(sqlite3* db)
{
    sqlite3_create_function_v2(db, "LEN", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqlLen, nullptr, nullptr,
                               nullptr);
}

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
        throw RuntimeError(kTypeMismatch, QStringLiteral("类型不匹配：“%1”不是数字编号。").arg(text));
    return trimmed;
}

RuntimeError driverError(const QSqlError& error)
{
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*(-?[0-9]+)"));
    const auto match = leadingNumber.match(error.nativeErrorCode());
    const long number = match.hasMatch() ? match.captured(1).toLong() : 0;
    QString description = error.databaseText().trimmed();
    if (description.isEmpty())
        description = error.driverText().trimmed();
    if (description.isEmpty())
        description = QStringLiteral("数据库操作失败。");
    return RuntimeError(number, description);
}

// ---------------------------------------------------------------- Recordset

namespace {
RuntimeError sqliteError(sqlite3* handle, int code)
{
    return RuntimeError(code, QString::fromUtf8(sqlite3_errmsg(handle)));
}

sqlite3_stmt* prepareSqlite(sqlite3* handle, const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(handle, text.constData(), static_cast<int>(text.size()), &statement, nullptr);
    if (rc != SQLITE_OK)
        throw sqliteError(handle, rc);
    return statement;
}
} // namespace

void bindId(sqlite3* handle, sqlite3_stmt* statement, bool isInteger, qlonglong value, const QString& text)
{
    int rc = SQLITE_OK;
    if (isInteger) {
        rc = sqlite3_bind_int64(statement, 1, value);
    } else {
        const QByteArray utf8 = text.toUtf8();
        rc = sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        throw sqliteError(handle, rc);
}

void SqliteStatementFinalizer::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

Recordset::Recordset(sqlite3* handle, sqlite3_stmt* statement) : m_handle(handle), m_statement(statement)
{
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(statement, i));
        if (!m_fields.contains(name.toLower())) {
            m_fields.insert(name.toLower(), i);
            m_fields.insert(name, i);
        }
    }
    step();
}

void Recordset::step()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW) {
        m_eof = false;
        return;
    }
    m_eof = true;
    if (rc != SQLITE_DONE)
        throw sqliteError(m_handle, rc);
}

Recordset::Recordset(QSqlQuery query) : m_query(std::move(query))
{
    const QSqlRecord record = m_query.record();
    for (int i = 0; i < record.count(); ++i) {
        // Some ODBC drivers report non-ASCII names with a wrong length: cut at the first NUL.
        QString name = record.fieldName(i);
        const int nul = name.indexOf(QChar(0));
        if (nul >= 0)
            name.truncate(nul);
        if (!m_fields.contains(name.toLower())) { // the first of equal names wins, as ADO's lookup does
            m_fields.insert(name.toLower(), i);
            m_fields.insert(name, i); // spelled as selected: found without lower-casing
        }
    }
    m_eof = !m_query.next();
    if (m_eof && m_query.lastError().isValid())
        throw driverError(m_query.lastError());
}

Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

bool Recordset::eof() const
{
    return m_eof;
}

int Recordset::fieldIndex(const QString& name) const
{
    auto it = m_fields.constFind(name);
    if (it == m_fields.constEnd())
        it = m_fields.constFind(name.toLower());
    if (it == m_fields.constEnd())
        throw RuntimeError(kItemNotFound, QStringLiteral("在集合中找不到字段“%1”。").arg(name));
    return it.value();
}

QVariant Recordset::field(int index) const
{
    if (m_eof)
        throw RuntimeError(kNoCurrentRecord, QStringLiteral("当前没有记录（已到记录集末尾）。"));
    if (!m_statement)
        return m_query.value(index);
    sqlite3_stmt* st = m_statement.get();
    switch (sqlite3_column_type(st, index)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, index));
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char*>(sqlite3_column_blob(st, index)), sqlite3_column_bytes(st, index)));
    case SQLITE_NULL:
        return QVariant(QMetaType(QMetaType::QString));
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, index));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(st, index)));
    }
    }
}

QVariant Recordset::field(const QString& name) const
{
    return field(fieldIndex(name));
}

void Recordset::moveNext()
{
    if (m_eof)
        throw RuntimeError(kNoCurrentRecord, QStringLiteral("当前没有记录（已到记录集末尾）。"));
    if (m_statement) {
        step();
        return;
    }
    m_eof = !m_query.next();
    if (m_eof && m_query.lastError().isValid())
        throw driverError(m_query.lastError());
}

// ---------------------------------------------------------------- RecordsetQuery

RecordsetQuery::RecordsetQuery(Connection& connection, QString before, QString after)
    : m_connection(connection), m_before(std::move(before)), m_after(std::move(after)),
      m_bind(connection.sqliteHandle() != nullptr)
{
}

Recordset& RecordsetQuery::open(const QString& id)
{
    const QString number = sqlNumber(id);
    if (!m_bind) {
        // Without MARS a server refuses a new statement while another one's results are pending.
        m_recordset.reset();
        m_recordset = std::make_unique<Recordset>(m_connection.openRecordset(m_before + number + m_after));
        return *m_recordset;
    }
    sqlite3* handle = m_connection.sqliteHandle();
    if (!m_connection.isOpen() || !handle)
        throw notOpen();
    bool ok = false;
    const qlonglong value = number.toLongLong(&ok);
    if (!m_recordset) {
        std::unique_ptr<sqlite3_stmt, SqliteStatementFinalizer> statement(
            prepareSqlite(handle, m_before + QStringLiteral("?") + m_after));
        bindId(handle, statement.get(), ok, value, number);
        m_recordset.reset(new Recordset(handle, statement.release()));
        return *m_recordset;
    }
    sqlite3_stmt* statement = m_recordset->m_statement.get();
    sqlite3_reset(statement);
    bindId(handle, statement, ok, value, number);
    m_recordset->step();
    return *m_recordset;
}

// ---------------------------------------------------------------- KeysetRow

void KeysetRow::addNew()
{
    m_adding = true;
    m_values.clear();
}

void KeysetRow::setField(const QString& name, const QString& value)
{
    for (auto& pair : m_values)
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0) {
            pair.second = value;
            return;
        }
    m_values.append({name, value});
}

void KeysetRow::update()
{
    if (m_values.isEmpty())
        return;
    QString sql;
    if (m_adding) {
        QStringList columns, values;
        for (const auto& [c, v] : m_values) {
            columns << c;
            values << u'\'' + sqlEscape(v) + u'\'';
        }
        sql = QStringLiteral("Insert Into %1 (%2) Values (%3)")
                  .arg(m_table, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
    } else {
        QStringList sets;
        for (const auto& [c, v] : m_values)
            sets << c + QStringLiteral(" = '") + sqlEscape(v) + u'\'';
        sql = QStringLiteral("Update %1 Set %2 Where %3 = '%4'")
                  .arg(m_table, sets.join(QStringLiteral(", ")), m_keyColumn, sqlEscape(m_keyValue));
    }
    m_connection->execute(sql);
    m_adding = false;
    m_found = true;
    m_values.clear();
}

// ---------------------------------------------------------------- Connection

Connection::Connection()
{
    static QAtomicInt counter;
    m_name = QStringLiteral("chengling-%1").arg(counter.fetchAndAddRelaxed(1));
}

Connection::~Connection()
{
    close();
}

void Connection::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    m_sqlite = nullptr;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

// The handle is held, not looked up: the global registry takes a lock on every lookup.
bool Connection::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

QSqlDatabase Connection::database() const
{
    return m_db;
}

QString Connection::odbcConnectionString(const QString& connectionString)
{
    const ConnectionStringParse parsed = parseConnectionString(connectionString);
    if (!parsed.ok)
        throw RuntimeError(kBadConnectionString, parsed.error);
    const ConnectionSettings& s = parsed.settings;
    const QString driver =
        s.contains(QStringLiteral("driver")) ? s.value(QStringLiteral("driver")) : QStringLiteral("FreeTDS");
    const bool freeTds = driver.compare(QStringLiteral("FreeTDS"), Qt::CaseInsensitive) == 0;
    QString server = s.value(QStringLiteral("data source"));
    if (freeTds) {
        server = freeTdsServer(server);
        if (server.isEmpty())
            throw RuntimeError(kGenericFailure, QStringLiteral("未指定数据库服务器（Data Source 为空）。"));
    }
    QString odbc = braced(QStringLiteral("DRIVER"), driver);
    if (!server.isEmpty())
        odbc += braced(QStringLiteral("SERVER"), server);
    const QString catalog = s.value(QStringLiteral("initial catalog"));
    if (!catalog.isEmpty())
        odbc += braced(QStringLiteral("DATABASE"), catalog);
    if (isTrue(s.value(QStringLiteral("integrated security")))) {
        odbc += QStringLiteral("Trusted_Connection=Yes;");
    } else {
        odbc += braced(QStringLiteral("UID"), s.value(QStringLiteral("user id")));
        odbc += braced(QStringLiteral("PWD"), s.value(QStringLiteral("password")));
    }
    if (freeTds)
        // Without an explicit version FreeTDS ignores the login time-out; without UTF-8 Chinese turns into "?".
        odbc += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;");
    return odbc;
}

void Connection::open(const QString& connectionString)
{
    close();
    const ConnectionStringParse parsed = parseConnectionString(connectionString);
    if (!parsed.ok)
        throw RuntimeError(kBadConnectionString, parsed.error);
    const QString provider = parsed.settings.value(QStringLiteral("provider"));
    if (provider.compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0) {
        openSqlite(parsed.settings.value(QStringLiteral("data source")));
    } else if (isSqlServerProvider(provider) ||
               (provider.compare(QStringLiteral("MSDASQL"), Qt::CaseInsensitive) == 0 &&
                parsed.settings.contains(QStringLiteral("driver")))) {
        openOdbc(odbcConnectionString(connectionString));
    } else if (provider.isEmpty()) {
        throw RuntimeError(kProviderNotFound, QStringLiteral("连接字符串未指定提供程序（Provider）。"));
    } else {
        throw RuntimeError(kProviderNotFound,
                           QStringLiteral("找不到提供程序“%1”。可用的提供程序：SQLOLEDB、MSOLEDBSQL、SQLNCLI、SQLite。")
                               .arg(provider));
    }
}

void Connection::openSqlite(const QString& file)
{
    // An embedded database is only ever opened, never created by a typo in the path.
    if (file.isEmpty() || !QFileInfo(file).isFile())
        throw RuntimeError(kGenericFailure, QStringLiteral("数据库文件不存在：%1").arg(file));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        if (!db.open()) {
            const RuntimeError error = driverError(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw error;
        }
        const QVariant handle = db.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
            sqlite3* h = *static_cast<sqlite3* const*>(handle.constData());
            registerSqlLen(h);
            m_sqlite = h;
        }
        m_db = db;
    }
    m_dialect = SqlDialect::SQLite;
    try {
        // One autocommit statement per row must not cost one disk sync each.
        QSqlQuery(database()).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        execute(QStringLiteral("PRAGMA synchronous=NORMAL"));
        // Anything but an SQLite database fails here rather than at the first query.
        openRecordset(QStringLiteral("Select count(*) From sqlite_master"));
    } catch (...) {
        close();
        throw;
    }
}

void Connection::openOdbc(const QString& odbcString)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
        db.setDatabaseName(odbcString);
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=30;SQL_ATTR_CONNECTION_TIMEOUT=30"));
        if (!db.open()) {
            const RuntimeError error = driverError(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw error;
        }
        m_dialect = db.driver()->dbmsType() == QSqlDriver::SQLite ? SqlDialect::SQLite : SqlDialect::SqlServer;
        m_db = db;
    }
}

void Connection::execute(const QString& sql)
{
    if (!isOpen())
        throw notOpen();
    QSqlQuery query(database());
    if (!query.exec(sql))
        throw driverError(query.lastError());
}

Recordset Connection::openRecordset(const QString& sql)
{
    if (!isOpen())
        throw notOpen();
    if (m_sqlite)
        return Recordset(m_sqlite, prepareSqlite(m_sqlite, sql));
    QSqlQuery query(database());
    query.setForwardOnly(true); // a scrollable query becomes a server-side cursor through ODBC
    if (!query.exec(sql))
        throw driverError(query.lastError());
    return Recordset(std::move(query));
}

KeysetRow Connection::openKeysetRow(const QString& table, const QString& keyColumn, const QString& keyValue)
{
    Recordset rs =
        openRecordset(QStringLiteral("Select * From %1 Where %2 ='%3'").arg(table, keyColumn, sqlEscape(keyValue)));
    KeysetRow row;
    row.m_connection = this;
    row.m_table = table;
    row.m_keyColumn = keyColumn;
    row.m_keyValue = keyValue;
    row.m_found = !rs.eof();
    return row;
}
