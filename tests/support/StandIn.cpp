#include "support/StandIn.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

StandIn::StandIn(const QString& databaseFile, const Options& options)
{
    const QString portFile = m_dir.filePath(QStringLiteral("port"));
    QStringList args{QStringLiteral(CHENGLING_SOURCE_DIR "/tools/sqlserver-standin"),
                     QStringLiteral("--db"),
                     databaseFile,
                     QStringLiteral("--port"),
                     QStringLiteral("0"),
                     QStringLiteral("--port-file"),
                     portFile,
                     QStringLiteral("--log"),
                     m_dir.filePath(QStringLiteral("requests.jsonl")),
                     QStringLiteral("--user"),
                     user(),
                     QStringLiteral("--password"),
                     password(),
                     QStringLiteral("--database"),
                     database(),
                     QStringLiteral("--text-mode"),
                     options.textMode,
                     QStringLiteral("--idle-exit"),
                     QStringLiteral("120")};
    if (options.latencyMs > 0)
        args << QStringLiteral("--latency-ms") << QString::number(options.latencyMs);
    if (options.deadlockAt > 0)
        args << QStringLiteral("--deadlock-at") << QString::number(options.deadlockAt);
    if (options.dropAt > 0)
        args << QStringLiteral("--drop-at") << QString::number(options.dropAt);
    // Debian's interpreter: the stand-in needs nothing beyond the standard library.
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                             : QStringLiteral("python3");
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python, args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start the stand-in: ") + m_process.errorString();
        return;
    }
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QFile f(portFile);
        if (f.open(QIODevice::ReadOnly)) {
            m_port = static_cast<quint16>(f.readAll().trimmed().toUInt());
            if (m_port)
                return;
        }
        QThread::msleep(20);
    }
    m_error = QStringLiteral("the stand-in did not say its port");
}

StandIn::~StandIn()
{
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
    QFile f(m_dir.filePath(QStringLiteral("requests.jsonl")));
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
