#pragma once

#include "platform/MessageBox.h"
#include "support/Fixtures.h"

#include <QList>
#include <QString>
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

// Opens gConn on the fixture and sets the identity fields used by the forms.
void openGlobalConnection(const FixtureDatabase& db);
