#include "support/TestSupport.h"

#include "core/ProgramEnd.h"
#include "startup/Module1.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#ifndef _WIN32
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#endif

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

ShownBoxes::ShownBoxes()
{
    MsgBoxSeam::clearScript();
    auto* timer = new QTimer;
    m_timer.reset(timer);
    QObject::connect(timer, &QTimer::timeout, timer, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        box->grab();
        m_texts << box->text();
        box->defaultButton()->click();
    });
    timer->start(20);
}

ShownBoxes::~ShownBoxes() = default;

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

#ifndef _WIN32
struct BlockingSource::State
{
    QTemporaryDir dir;
    std::atomic<bool> stop{false};
    std::atomic<int> opens{0};
    std::thread writer;
};

BlockingSource::BlockingSource(const QString& path) : m_state(std::make_unique<State>())
{
    m_path = path.isEmpty() ? m_state->dir.filePath(QStringLiteral("picture.png")) : path;
    if (mkfifo(QFile::encodeName(m_path).constData(), 0600) != 0)
        qFatal("mkfifo failed");
    const QByteArray name = QFile::encodeName(m_path);
    m_state->writer = std::thread([state = m_state.get(), name] {
        // Each reader's open returns once this end is open; closing it at once gives the reader an
        // empty picture, so a test that fails still ends.
        while (!state->stop) {
            const int fd = ::open(name.constData(), O_WRONLY);
            if (fd < 0)
                break;
            if (!state->stop)
                ++state->opens;
            ::close(fd);
        }
    });
}

BlockingSource::~BlockingSource()
{
    m_state->stop = true;
    // Our own reader releases the writer's pending open.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK);
    m_state->writer.join();
    if (fd >= 0)
        ::close(fd);
    // One made at a path of the test's own must not stay there for the next test.
    QFile::remove(m_path);
}

QString BlockingSource::markup() const
{
    return QStringLiteral("<b>x</b><img src=\"") + m_path + QStringLiteral("\">");
}

int BlockingSource::opens() const
{
    return m_state->opens;
}
#endif
