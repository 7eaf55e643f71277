#pragma once

#include "support/Fixtures.h"
#include "widgets/MessageBox.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
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

// Lets every message box show for real (no script) and closes each once it has been laid out and
// painted, remembering its text: for what a box does with its text on the screen.
class ShownBoxes
{
public:
    ShownBoxes();
    ~ShownBoxes();
    const QStringList& texts() const { return m_texts; }

private:
    QStringList m_texts;
    std::unique_ptr<QObject> m_timer;
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

#ifndef _WIN32
// A named pipe (in a folder of its own, or at `path`), standing for a source whose reading would
// never end: markup naming it (<img src=...>) freezes whoever renders it. A writer on the other
// end counts every open, so a test sees that it was opened instead of hanging on it.
class BlockingSource
{
public:
    explicit BlockingSource(const QString& path = {});
    ~BlockingSource();
    BlockingSource(const BlockingSource&) = delete;
    BlockingSource& operator=(const BlockingSource&) = delete;
    QString path() const { return m_path; }
    // Text that, read as markup, opens the pipe.
    QString markup() const;
    int opens() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
    QString m_path;
};
#endif
