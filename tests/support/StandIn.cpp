#include "support/StandIn.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QThread>
#include <functional>

#ifndef _WIN32
#include <csignal>
#include <sys/types.h>
#endif

namespace {
// The port a server wrote into `portFile`, or 0 when it gave none in time or `running` says it ended.
quint16 waitForPort(const QString& portFile, const std::function<bool()>& running)
{
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && running()) {
        QFile f(portFile);
        if (f.open(QIODevice::ReadOnly)) {
            if (const auto port = static_cast<quint16>(f.readAll().trimmed().toUInt()))
                return port;
        }
        QThread::msleep(20);
    }
    return 0;
}
} // namespace

void StandIn::startByHelper(const QString& folder, const QString& databaseFile, const Options& options)
{
    m_rendezvous = folder;
    m_log = folder + QStringLiteral("/requests.jsonl");
    const QString request = folder + QStringLiteral("/start");
    QFile::remove(folder + QStringLiteral("/port"));
    QFile f(request + QStringLiteral(".new"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("cannot write ") + f.fileName();
        return;
    }
    f.write(QStringLiteral("%1\n%2\n%3\n%4\n%5\n")
                .arg(QDir::toNativeSeparators(databaseFile), options.textMode)
                .arg(options.latencyMs)
                .arg(options.deadlockAt)
                .arg(options.dropAt)
                .toUtf8());
    f.close();
    QFile::remove(request);
    if (!f.rename(request)) {
        m_error = QStringLiteral("cannot write ") + request;
        return;
    }
    m_port = waitForPort(folder + QStringLiteral("/port"), [] { return true; });
    if (!m_port)
        m_error = QStringLiteral("the helper started no stand-in (is tools/test-windows serving %1?)").arg(folder);
}

StandIn::StandIn(const QString& databaseFile, const Options& options)
{
    if (const QString folder = qEnvironmentVariable("CHENGLING_STANDIN_RENDEZVOUS"); !folder.isEmpty()) {
        startByHelper(folder, databaseFile, options);
        return;
    }
    m_log = m_dir.filePath(QStringLiteral("requests.jsonl"));
    const QString portFile = m_dir.filePath(QStringLiteral("port"));
    QStringList args{QStringLiteral(CHENGLING_SOURCE_DIR "/tools/sqlserver-standin"),
                     QStringLiteral("--db"),
                     databaseFile,
                     QStringLiteral("--port"),
                     QStringLiteral("0"),
                     QStringLiteral("--port-file"),
                     portFile,
                     QStringLiteral("--log"),
                     m_log,
                     QStringLiteral("--user"),
                     user(),
                     QStringLiteral("--password"),
                     password(),
                     QStringLiteral("--database"),
                     database(),
                     QStringLiteral("--text-mode"),
                     options.textMode,
                     QStringLiteral("--traffic-file"),
                     m_dir.filePath(QStringLiteral("traffic")),
                     QStringLiteral("--hold-file"),
                     m_dir.filePath(QStringLiteral("hold")),
                     QStringLiteral("--idle-exit"),
                     QStringLiteral("120")};
    if (options.latencyMs > 0)
        args << QStringLiteral("--latency-ms") << QString::number(options.latencyMs);
    if (options.deadlockAt > 0)
        args << QStringLiteral("--deadlock-at") << QString::number(options.deadlockAt);
    if (options.dropAt > 0)
        args << QStringLiteral("--drop-at") << QString::number(options.dropAt);
    if (options.bandwidthMbit > 0)
        args << QStringLiteral("--bandwidth-mbit") << QString::number(options.bandwidthMbit);
    // Debian's interpreter: the stand-in needs nothing beyond the standard library.
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                             : QStringLiteral("python3");
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python, args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start the stand-in: ") + m_process.errorString();
        return;
    }
    m_port = waitForPort(portFile, [this] { return m_process.state() == QProcess::Running; });
    if (!m_port)
        m_error = QStringLiteral("the stand-in did not say its port");
}

StandIn::~StandIn()
{
    stop();
}

QPair<qint64, qint64> StandIn::traffic() const
{
    QFile f(m_dir.filePath(QStringLiteral("traffic")));
    if (m_rendezvous.isEmpty() && f.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> counts = f.readAll().simplified().split(' ');
        if (counts.size() == 2)
            return {counts[0].toLongLong(), counts[1].toLongLong()};
    }
    return {0, 0};
}

bool StandIn::holdAnswers(bool on, int nth)
{
    if (!m_rendezvous.isEmpty())
        return false;
    const QString path = m_dir.filePath(QStringLiteral("hold"));
    if (!on)
        return !QFile::exists(path) || QFile::remove(path);
    // Whole or not at all: the server reads it at every request.
    QSaveFile hold(path);
    if (!hold.open(QIODevice::WriteOnly))
        return false;
    if (nth > 0)
        hold.write(QStringLiteral("hold%1 %2\n").arg(++m_holds).arg(nth).toUtf8());
    return hold.commit();
}

void StandIn::dropDuringNextRequest()
{
    const int seen = mark();
    m_dropper = std::thread([this, seen] {
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && requests().size() <= seen)
            QThread::msleep(5);
        endServer();
    });
}

// Safe from any thread: no QProcess call but its process id.
void StandIn::endServer()
{
    if (!m_rendezvous.isEmpty()) {
        QFile stop(m_rendezvous + QStringLiteral("/stop"));
        if (stop.open(QIODevice::WriteOnly))
            stop.close();
        m_asked = true;
        return;
    }
#ifndef _WIN32
    if (const qint64 pid = m_process.processId(); pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
#endif
}

void StandIn::stop()
{
    if (m_dropper.joinable())
        m_dropper.join();
    if (!m_rendezvous.isEmpty()) {
        // The helper ends the server and removes "port" and "stop" when it has.
        QFile stop(m_rendezvous + QStringLiteral("/stop"));
        if (m_port && (m_asked || stop.open(QIODevice::WriteOnly))) {
            stop.close();
            const QDeadlineTimer deadline(10000);
            while (!deadline.hasExpired() && QFile::exists(stop.fileName()))
                QThread::msleep(20);
        }
        m_port = 0;
        return;
    }
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QString StandIn::connectionString() const
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=%1;Persist Security Info=False;User ID=%2;"
                          "Initial Catalog='%3';Data Source='127.0.0.1,%4'")
        .arg(password(), user(), database())
        .arg(m_port);
}

QList<QJsonObject> StandIn::requests(int since) const
{
    QList<QJsonObject> result;
    QFile f(m_log);
    if (!f.open(QIODevice::ReadOnly))
        return result;
    int n = 0;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line.isEmpty())
            continue;
        if (n++ >= since)
            result << QJsonDocument::fromJson(line).object();
    }
    return result;
}

int StandIn::count(const QString& type, int since) const
{
    int n = 0;
    for (const QJsonObject& r : requests(since))
        n += r.value(QStringLiteral("type")).toString() == type;
    return n;
}

QStringList StandIn::batches(int since) const
{
    QStringList texts;
    for (const QJsonObject& r : requests(since))
        if (r.value(QStringLiteral("type")).toString() == QStringLiteral("sql_batch"))
            texts << r.value(QStringLiteral("text")).toString();
    return texts;
}
