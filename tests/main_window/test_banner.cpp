#include "main_window/BannerLayout.h"
#include "main_window/BannerStrip.h"
#include "main_window/MainWindow.h"

#include <QtTest>

namespace {
const QSizeF kPicture(1028 * 15.0, 54 * 15.0);
}

class TestBanner : public QObject
{
    Q_OBJECT
private slots:
    void columnsAndTail_data();
    void columnsAndTail();
    void tailIsClippedToThePicture();
    void stripDrawsColumnsAndTail();
};

void TestBanner::columnsAndTail_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("lastColumnX");

    QTest::newRow("13150: tail only") << 13150.0 << 0 << 0;
    QTest::newRow("a hair above 13150, single precision") << 13150.0002 << 0 << 0;
    QTest::newRow("13151: first column at 9150") << 13151.0 << 1 << 9150;
    QTest::newRow("13450: still one") << 13450.0 << 1 << 9150;
    QTest::newRow("13451: two") << 13451.0 << 2 << 9450;
    QTest::newRow("narrow: tail left of 8850") << 8000.0 << 0 << 0;
    QTest::newRow("zero") << 0.0 << 0 << 0;
    QTest::newRow("1600 pixels") << 24000.0 << 37 << 19950;
    QTest::newRow("loop ends at 10000 columns") << 4.0e6 << 10000 << 3008850;
}

void TestBanner::columnsAndTail()
{
    QFETCH(double, width);
    QFETCH(int, columns);
    QFETCH(int, lastColumnX);
    const QList<BannerCopy> copies = bannerCopies(width, 810, kPicture);
    QCOMPARE(copies.size(), columns + 1);
    for (int i = 0; i < columns; ++i) {
        QCOMPARE(copies[i].destination, QRectF(9150 + 300 * i, 0, 300, 810));
        QCOMPARE(copies[i].source, QRectF(8850, 0, 300, kPicture.height()));
    }
    if (columns > 0)
        QCOMPARE(copies[columns - 1].destination.x(), double(lastColumnX));
    // The tail comes last, over any column it overlaps.
    const BannerCopy& tail = copies.last();
    QCOMPARE(tail.destination, QRectF(float(width) - 4000.0f, 0, 4000, 810));
    QCOMPARE(tail.source, QRectF(8850, 0, kPicture.width(), kPicture.height()));
}

void TestBanner::tailIsClippedToThePicture()
{
    const BannerCopy tail = bannerCopies(24000, 810, kPicture).last();
    const auto clipped = clipToPicture(tail, kPicture);
    QVERIFY(clipped);
    QCOMPARE(clipped->source, QRectF(8850, 0, 15420 - 8850, 810));
    QCOMPARE(clipped->destination.x(), 20000.0);
    QVERIFY(qFuzzyCompare(clipped->destination.width(), 4000.0 * 6570 / 15420));
    QCOMPARE(clipped->destination.height(), 810.0);

    const BannerCopy column = bannerCopies(24000, 810, kPicture).first();
    QCOMPARE(clipToPicture(column, kPicture)->destination, column.destination);

    const BannerCopy outside{QRectF(0, 0, 300, 810), QRectF(20000, 0, 300, 810)};
    QVERIFY(!clipToPicture(outside, kPicture));
}

void TestBanner::stripDrawsColumnsAndTail()
{
    MainWindow w;
    w.resize(1600, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* strip = w.findChild<BannerStrip*>(QStringLiteral("Picture1"));
    QVERIFY(strip);
    QCOMPARE(strip->height(), 54); // 810 twips
    QCOMPARE(strip->width(), w.centralWidget()->width());
    QCOMPARE(strip->width(), 1600);
    const QImage banner = strip->picture().toImage();
    QCOMPARE(banner.size(), QSize(1028, 54));
    const QImage shot = strip->grab().toImage();

    for (int y : {5, 27, 50}) {
        // The left part as designed.
        for (int x : {10, 100, 400})
            QCOMPARE(shot.pixelColor(x, y), banner.pixelColor(x, y));
    }
    // From 9150 twips (610 pixels) up to the tail at 20000 twips, the column of picture x
    // 590..609 repeats, covering the picture's own skyline there.
    const int y = 50;
    bool coversPicture = false;
    for (int x = 610; x < 1333; ++x) {
        const QColor expected = banner.pixelColor(590 + ((x * 15 - 9150) % 300) / 15, y);
        QCOMPARE(shot.pixelColor(x, y), expected);
        coversPicture = coversPicture || (x < 1028 && banner.pixelColor(x, y) != expected);
    }
    QVERIFY(coversPicture);
    // The squeezed tail shows the skyline; right of it only the strip's own colour is left.
    bool tailDrawn = false;
    for (int x = 1334; x < 1446; ++x)
        tailDrawn = tailDrawn || shot.pixelColor(x, y) != BannerStrip::backColor();
    QVERIFY(tailDrawn);
    for (int x = 1450; x < 1600; ++x)
        QCOMPARE(shot.pixelColor(x, y), BannerStrip::backColor());
}

QTEST_MAIN(TestBanner)
#include "test_banner.moc"
