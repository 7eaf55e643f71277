#pragma once

#include "core/Recordset.h"
#include "core/RuntimeError.h"

#include <QString>
#include <functional>
#include <memory>

struct OdbcLink;

// SQL Server's path. On Linux the ODBC driver manager's narrow API with every text in UTF-8 both
// ways (FreeTDS converts to and from the server's code page, given ClientCharset=UTF-8); only the
// connection string goes wide. On Windows every text goes wide. Every request is read to its end,
// so the driver never has to cancel one (an attention costs a round trip).
class OdbcConnection
{
public:
    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // Throws RuntimeError with the driver's native error number and text.
    void open(const QString& odbcString, int timeoutSeconds);
    bool isOpen() const { return m_dbc != nullptr; }
    void close();
    // The DBMS the driver reports ("Microsoft SQL Server", "SQLite", ...).
    QString dbmsName() const;

    // Both need an open connection (the caller checks). After the link was lost, both throw the
    // failure that said so, without asking the driver. The first result set of a request, read forward only; the rest
    // of the request is read when its rows are.
    // With `batch`, the request's further results are read with nextResult() rather than at once.
    std::unique_ptr<RowSource> query(const QString& sql, bool batch = false);

    // Runs a request of `statements` statements to its end. `ran` is called with the index of each
    // statement whose row count arrived, and that count (statements without one, such as SET, are
    // not counted; -1 when the driver gives none). On the first failure the rest of the request is
    // still read, then the failure is thrown as WriteFailure numbered within the request; when the
    // link was lost, the rest of the request is unconfirmed.
    void execute(const QString& sql, const std::function<void(int, qint64)>& ran = {}, int statements = 1);

    // The driver's cancel of the request in flight, from any thread: the call waiting for it
    // returns with the driver's "cancelled" failure.
    void cancel();

private:
    void* m_env = nullptr;
    void* m_dbc = nullptr;
    std::shared_ptr<OdbcLink> m_link; // shared with the rows being read
};
