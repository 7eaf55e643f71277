#include "main_window/Frmtu.h"
#include "main_window/MainWindow.h"

#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QColor kQuadrants[4] = {QColor(200, 30, 30), QColor(30, 180, 40), QColor(40, 60, 210), QColor(230, 200, 20)};

// A small picture of four coloured quadrants, so stretching shows where each lands.
void writeQuadrants(const QString& file, const char* format = "BMP")
{
    QImage image(40, 20, QImage::Format_RGB888);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixelColor(x, y, kQuadrants[(y >= 10 ? 2 : 0) + (x >= 20 ? 1 : 0)]);
    QVERIFY(image.save(file, format));
}

// A bitmap that claims `width` x `height` pixels in a few bytes: 8-bit, run-length encoded, one
// palette colour, and nothing but the end-of-picture mark, so every pixel takes that colour.
QByteArray compressedBitmap(int width, int height, const QColor& colour)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 headers = 14 + 40 + 4;
    const QByteArray pixels("\x00\x01", 2);
    out.writeRawData("BM", 2);
    out << quint32(headers + pixels.size()) << quint32(0) << headers;
    out << quint32(40) << qint32(width) << qint32(height) << quint16(1) << quint16(8) << quint32(1) // BI_RLE8
        << quint32(pixels.size()) << qint32(2835) << qint32(2835) << quint32(1) << quint32(0);
    out << quint8(colour.blue()) << quint8(colour.green()) << quint8(colour.red()) << quint8(0);
    out.writeRawData(pixels.constData(), pixels.size());
    return bytes;
}

// Bytes this process has read from files so far (Linux's per-process I/O count), -1 if unknown.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3 && qAbs(a.blue() - b.blue()) <= 3;
}

QImage clientArea(MainWindow& w)
{
    return w.mdiArea()->viewport()->grab().toImage();
}

// The whole picture fills the client area: each quadrant, including the far corners, where
// the stretched picture puts it.
void expectStretched(MainWindow& w)
{
    const QImage shot = clientArea(w);
    const int width = shot.width();
    const int height = shot.height();
    QVERIFY(width > 100 && height > 100);
    const QList<QPair<QPoint, int>> samples{
        {{2, 2}, 0},
        {{width / 4, height / 4}, 0},
        {{3 * width / 4, height / 4}, 1},
        {{width - 3, 2}, 1},
        {{width / 4, 3 * height / 4}, 2},
        {{2, height - 3}, 2},
        {{3 * width / 4, 3 * height / 4}, 3},
        {{width - 3, height - 3}, 3},
    };
    for (const auto& [point, quadrant] : samples)
        QVERIFY2(near(shot.pixelColor(point), kQuadrants[quadrant]),
                 qPrintable(QStringLiteral("at %1,%2 of %3x%4: %5")
                                .arg(point.x())
                                .arg(point.y())
                                .arg(width)
                                .arg(height)
                                .arg(shot.pixelColor(point).name())));
}

void expectPlain(MainWindow& w)
{
    const QImage shot = clientArea(w);
    for (int y = 0; y < shot.height(); y += 37)
        for (int x = 0; x < shot.width(); x += 41)
            QCOMPARE(shot.pixelColor(x, y), Frmtu::backColor());
}
} // namespace

class TestBackground : public QObject
{
    Q_OBJECT
private slots:
    void pictureBesideTheExecutable();
    void stretchedOverClientAreaOnEveryResize();
    void plainWhenPictureUnusable_data();
    void plainWhenPictureUnusable();
    void aChangedFileIsReadAgain();
    void giantPictureIsNotRead();
    void unchangedFileIsNotReadAgain();
    void emptyClientAreaIsHarmless();

private:
    QTemporaryDir m_dir;
};

void TestBackground::pictureBesideTheExecutable()
{
    MainWindow w;
    QCOMPARE(w.backgroundFile(), QCoreApplication::applicationDirPath() + QStringLiteral("/MDI.BMP"));
}

void TestBackground::stretchedOverClientAreaOnEveryResize()
{
    const QString file = m_dir.filePath(QStringLiteral("stretched.bmp"));
    writeQuadrants(file);
    MainWindow w;
    w.setBackgroundFile(file);
    w.resize(900, 650);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    expectStretched(w);

    // Shrinking shows the whole picture shrunk, not cut off; growing likewise.
    const QSize before = w.mdiArea()->viewport()->size();
    w.resize(420, 300);
    QCoreApplication::processEvents();
    QVERIFY(w.mdiArea()->viewport()->size() != before);
    expectStretched(w);
    w.resize(1200, 800);
    QCoreApplication::processEvents();
    expectStretched(w);
}

void TestBackground::plainWhenPictureUnusable_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("not a picture") << QByteArray("BM this is only text pretending");
    // Just past 64 megapixels, yet within what the decoder itself would allocate.
    QTest::newRow("beyond 64 megapixels") << compressedBitmap(8001, 8000, QColor(10, 150, 10));
}

void TestBackground::plainWhenPictureUnusable()
{
    QFETCH(QByteArray, content);
    const QString file = m_dir.filePath(QStringLiteral("unusable-%1.bmp").arg(QTest::currentDataTag()));
    if (!content.isNull()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    MainWindow w;
    w.setBackgroundFile(file);
    w.resize(700, 500);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    expectPlain(w);
}

void TestBackground::aChangedFileIsReadAgain()
{
    const QString file = m_dir.filePath(QStringLiteral("later.bmp"));
    MainWindow w;
    w.setBackgroundFile(file);
    w.resize(700, 500);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    expectPlain(w);

    // The picture appears with the next resize, in whatever format it is.
    writeQuadrants(file, "PNG");
    w.resize(720, 520);
    QCoreApplication::processEvents();
    expectStretched(w);

    // Replaced by a one-colour picture: the next resize shows that.
    QImage green(10, 10, QImage::Format_RGB888);
    green.fill(QColor(10, 150, 10));
    QVERIFY(green.save(file, "BMP"));
    w.resize(700, 500);
    QCoreApplication::processEvents();
    const QImage shot = clientArea(w);
    QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(10, 150, 10));

    QVERIFY(QFile::remove(file));
    w.resize(690, 490);
    QCoreApplication::processEvents();
    expectPlain(w);
}

// The size a bitmap's header claims is checked before any pixel is read: a 20000 x 20000 picture
// made every resize read 1.2 GB. Here a sparse file of 9000 x 9000 pixels, 243 MB long.
void TestBackground::giantPictureIsNotRead()
{
    const QString file = m_dir.filePath(QStringLiteral("giant.bmp"));
    const qint32 side = 9000;
    const quint32 rowBytes = side * 3;
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QDataStream out(&f);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("BM", 2);
        out << quint32(54 + rowBytes * side) << quint32(0) << quint32(54);
        out << quint32(40) << side << side << quint16(1) << quint16(24) << quint32(0) << quint32(rowBytes * side)
            << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
        QVERIFY(f.resize(54 + qint64(rowBytes) * side));
    }
    if (bytesRead() < 0)
        QSKIP("this system does not count the bytes a process reads");
    const qint64 before = bytesRead();
    const QImage surface = Frmtu::paint(QSize(300, 200), 1.0, file, Qt::gray).toImage();
    QVERIFY2(bytesRead() - before < 1024 * 1024, qPrintable(QString::number(bytesRead() - before)));
    QCOMPARE(surface.pixelColor(150, 100), QColor(Qt::gray));
}

// A resize only scales: the picture is decoded again only when the file changes.
void TestBackground::unchangedFileIsNotReadAgain()
{
    const QString file = m_dir.filePath(QStringLiteral("unchanged.bmp"));
    QImage blue(600, 400, QImage::Format_RGB888);
    blue.fill(QColor(20, 40, 200));
    QVERIFY(blue.save(file, "BMP"));
    if (bytesRead() < 0)
        QSKIP("this system does not count the bytes a process reads");
    qint64 before = bytesRead();
    QCOMPARE(Frmtu::paint(QSize(300, 200), 1.0, file, Qt::gray).toImage().pixelColor(150, 100), QColor(20, 40, 200));
    QVERIFY(bytesRead() - before >= QFileInfo(file).size());
    before = bytesRead();
    QCOMPARE(Frmtu::paint(QSize(500, 300), 1.0, file, Qt::gray).toImage().pixelColor(250, 150), QColor(20, 40, 200));
    QVERIFY2(bytesRead() - before < 4096, qPrintable(QString::number(bytesRead() - before)));
}

void TestBackground::emptyClientAreaIsHarmless()
{
    QVERIFY(Frmtu::paint(QSize(0, 0), 1.0, m_dir.filePath(QStringLiteral("none.bmp")), Qt::gray).isNull());
    const QString file = m_dir.filePath(QStringLiteral("small.bmp"));
    writeQuadrants(file);
    MainWindow w;
    w.setBackgroundFile(file);
    w.show();
    w.resize(1, 1);
    QCoreApplication::processEvents();
    w.showMinimized();
    QCoreApplication::processEvents();
    w.showNormal();
    w.resize(600, 400);
    QCoreApplication::processEvents();
    expectStretched(w);
}

QTEST_MAIN(TestBackground)
#include "test_background.moc"
