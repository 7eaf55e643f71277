#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <functional>

// Records every message box and answers it from a queue (OK / Yes by default).
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    void answerNext(MsgAnswer answer) { m_answers.append(answer); }
    const QList<MsgRecord>& boxes() const { return m_boxes; }
    QStringList texts() const;
    void clear() { m_boxes.clear(); }

private:
    QList<MsgRecord> m_boxes;
    QList<MsgAnswer> m_answers;
};

// Counts calls of the program's end instead of ending the test.
class EndRecorder
{
public:
    EndRecorder();
    ~EndRecorder();
    int count() const { return m_count; }

private:
    int m_count = 0;
};

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

// Opens gConn on the fixture and sets the identity fields used by the forms.
void openGlobalConnection(const FixtureDatabase& db);
