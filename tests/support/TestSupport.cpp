#include "support/TestSupport.h"

#include "app/Module1.h"
#include "core/ProgramEnd.h"

#include <QtTest>

MessageRecorder::MessageRecorder()
{
    MsgBoxSeam::setScript([this](const MsgRecord& r) {
        m_boxes.append(r);
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return r.buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::Yes;
    });
}

MessageRecorder::~MessageRecorder()
{
    MsgBoxSeam::clearScript();
}

QStringList MessageRecorder::texts() const
{
    QStringList t;
    for (const auto& b : m_boxes)
        t << b.text;
    return t;
}

EndRecorder::EndRecorder()
{
    ProgramEndSeam::setHandler([this] { ++m_count; });
}

EndRecorder::~EndRecorder()
{
    ProgramEndSeam::clearHandler();
}

void GlobalConnectionTest::openFixture(FixtureDatabase::Content content)
{
    m_db = std::make_unique<FixtureDatabase>(content);
    gConn().open(m_db->connectionString());
    SetIdentityFields({"U1", "演示操作员", "", "物业部", "ADMIN", "管理员", "", "", "", ""});
}

void GlobalConnectionTest::closeFixture()
{
    gConn().close();
    m_db.reset();
}
