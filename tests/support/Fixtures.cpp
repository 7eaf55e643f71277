#include "support/Fixtures.h"

#include "DemoData.h"
#include "core/RuntimeError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

FixtureDatabase::FixtureDatabase(Content content)
{
    m_path = m_dir.filePath(QStringLiteral("fixture.sqlite"));
    if (content == Demo)
        DemoData::createDemoDatabase(m_path);
    else
        DemoData::createEmptyDatabase(m_path);
}

QString FixtureDatabase::connectionString() const
{
    return QStringLiteral("Provider=SQLite;Data Source=") + m_path;
}

namespace {
template <typename F> void withDb(const QString& path, F f)
{
    const QString name = QStringLiteral("fixture-check");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("fixture open failed");
        f(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
} // namespace

void FixtureDatabase::exec(const QString& sql) const
{
    withDb(m_path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("fixture statement failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    });
}

QList<QStringList> FixtureDatabase::rows(const QString& sql) const
{
    QList<QStringList> result;
    withDb(m_path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("fixture query failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("<NULL>") : q.value(i).toString());
            result << row;
        }
    });
    return result;
}

QString FixtureDatabase::scalar(const QString& sql) const
{
    const auto r = rows(sql);
    return r.isEmpty() || r.first().isEmpty() ? QString() : r.first().first();
}

long errorNumber(const std::function<void()>& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return -1;
}
