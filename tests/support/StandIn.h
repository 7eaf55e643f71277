#pragma once

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

// tools/sqlserver-standin serving an SQLite file over TDS, for the SQL Server path: the program
// connects through FreeTDS as it would to SQL Server, and every request the server received is
// in its log.
//
// A Windows test under Wine cannot start a Linux program: with CHENGLING_STANDIN_RENDEZVOUS set to
// a folder, the server is asked of a helper on the Linux side instead (tools/test-windows): the
// request goes into "start" (database file, text mode, latency, deadlock and drop counts, one a
// line), the helper answers with "port" and the log "requests.jsonl", and "stop" ends the server.
class StandIn
{
public:
    struct Options
    {
        QString textMode = QStringLiteral("nvarchar"); // nvarchar, gbk or latin1
        int latencyMs = 0;
        int deadlockAt = 0;       // the Nth write fails as a deadlock victim
        int dropAt = 0;           // the connection is dropped at the Nth write
        double bandwidthMbit = 0; // a link this fast both ways (0: unlimited); not through the helper
    };

    StandIn(const QString& databaseFile, const Options& options);
    StandIn(const QString& databaseFile) : StandIn(databaseFile, Options()) {}
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool started() const { return m_port != 0; }
    // Ends the server now: its connections close under the client.
    void stop();
    // Ends the server as soon as the next request has arrived, before it is answered (give the
    // server a latency): the client loses the link in the middle of reading the answer.
    void dropDuringNextRequest();
    // While on, a request that arrives waits unanswered, as behind another session's lock; an
    // attention (the driver's cancel) answers it. With `nth`, only the nth request from now waits.
    // Not through the Windows helper (false there).
    bool holdAnswers(bool on, int nth = 0);
    // The bytes the server has received and sent in all (0 through the Windows helper).
    QPair<qint64, qint64> traffic() const;
    // Whether a request has been held since a mark().
    bool held(int since) const { return count(QStringLiteral("held"), since) > 0; }
    QString error() const { return m_error; }
    quint16 port() const { return m_port; }
    static QString user() { return QStringLiteral("sa"); }
    static QString password() { return QStringLiteral("密码pw"); }
    static QString database() { return QStringLiteral("物业库"); }
    // As the launcher passes it: an OLE DB string for the SQLOLEDB provider.
    QString connectionString() const;

    // Every request logged so far, in order; `since` skips the first ones (a mark()).
    QList<QJsonObject> requests(int since = 0) const;
    int mark() const { return requests().size(); }
    // How many of the requests since a mark are of a type ("sql_batch", "attention", ...).
    int count(const QString& type, int since = 0) const;
    // The SQL batch texts since a mark, exactly as they arrived.
    QStringList batches(int since = 0) const;

private:
    void startByHelper(const QString& folder, const QString& databaseFile, const Options& options);

    void endServer();

    QTemporaryDir m_dir;
    std::thread m_dropper;
    std::atomic<bool> m_asked{false}; // the helper was asked to end the server
    QString m_rendezvous;
    QString m_log;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    int m_holds = 0;
};
