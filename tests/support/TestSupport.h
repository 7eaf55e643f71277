#pragma once

#include "platform/MessageBox.h"
#include "support/Fixtures.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

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

// The base of a test class whose every test function runs with gConn open on a fresh fixture
// database and a demo operator's identity fields set, and gConn closed afterwards. QtTest finds its
// init() and cleanup() by name; a class with its own calls openFixture() and closeFixture().
class GlobalConnectionTest : public QObject
{
    Q_OBJECT
public:
    explicit GlobalConnectionTest(FixtureDatabase::Content content) : m_content(content) {}

protected:
    const FixtureDatabase& db() const { return *m_db; }
    void openFixture(FixtureDatabase::Content content);
    void closeFixture();

private slots:
    void init() { openFixture(m_content); }
    void cleanup() { closeFixture(); }

private:
    FixtureDatabase::Content m_content;
    std::unique_ptr<FixtureDatabase> m_db;
};
