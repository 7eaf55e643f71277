#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// A fresh SQLite database with the schema (and optionally the demo data) in a temporary folder.
class FixtureDatabase
{
public:
    enum Content { Empty, Demo };
    explicit FixtureDatabase(Content content = Empty);
    QString path() const { return m_path; }
    QString connectionString() const;
    // Runs statements on a connection of its own (fixture rows, checks).
    void exec(const QString& sql) const;
    QString scalar(const QString& sql) const; // first column of the first row, "<NULL>" for NULL
    QList<QStringList> rows(const QString& sql) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// The run-time error number `f` throws, or -1 when it throws none.
long errorNumber(const std::function<void()>& f);
