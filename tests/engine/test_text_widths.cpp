#include "core/Fonts.h"
#include "engine/TextWidths.h"

#include <QFontInfo>
#include <QtTest>

// The cache must give exactly what QFontMetrics gives, whatever the font does with digits.
class TextWidthsTest : public QObject
{
    Q_OBJECT
private:
    static QStringList samples()
    {
        QStringList texts = {
            QStringLiteral("澄岭花园1幢1单元101室"),
            QStringLiteral("澄岭花园12幢1单元1201室"),
            QStringLiteral("14A00320501A"),
            QStringLiteral("14B01211001M"),
            QStringLiteral("AVAV1"),
            QStringLiteral("T1"),
            QStringLiteral("1T"),
            QStringLiteral("7."),
            QStringLiteral("1.5"),
            QStringLiteral("f1"),
            QStringLiteral("ffi11"),
            QStringLiteral("To 12 Wa"),
            QStringLiteral("无幢号"),
            QStringLiteral("12号"),
            QStringLiteral("-003"),
            QStringLiteral("(1)"),
            QStringLiteral("1/2"),
            QStringLiteral("A𠀀1"),
            QStringLiteral("１２3"),
            QStringLiteral(" 7 "),
        };
        for (int i = 1; i < 2000; i += 37)
            texts << QString::number(i) << QStringLiteral("澄岭雅苑%1栋%2室").arg(i % 17).arg(i);
        return texts;
    }

    static void compareWith(const QFont& font)
    {
        const QFontMetrics metrics(font);
        TextWidthCache cache(font);
        // Twice: the second round is answered from the cache; through a column slot, texts of
        // one shape in a row are answered from the slot's memo.
        for (int round = 0; round < 2; ++round)
            for (const QString& text : samples()) {
                QVERIFY2(cache.width(text) == metrics.horizontalAdvance(text), qPrintable(text));
                QVERIFY2(cache.width(text, round) == metrics.horizontalAdvance(text), qPrintable(text));
            }
        QCOMPARE(cache.width(QString()), 0);
    }

private slots:
    void initTestCase() { installFontSubstitutions(); }

    void sameAsTheFontMetrics_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::newRow("微软雅黑 9") << yaheiFont(9);
        QTest::newRow("微软雅黑 12 bold") << yaheiFont(12, true);
        QFont serif(QStringLiteral("Noto Serif CJK SC"));
        serif.setPointSize(10);
        QTest::newRow("serif") << serif;
        QFont sans(QStringLiteral("DejaVu Sans"));
        sans.setPointSize(11);
        QTest::newRow("latin") << sans;
        QFont italic(QStringLiteral("DejaVu Serif"));
        italic.setItalic(true);
        italic.setPointSize(13);
        QTest::newRow("latin serif italic") << italic;
    }

    void sameAsTheFontMetrics()
    {
        QFETCH(QFont, font);
        compareWith(font);
    }

    void theFormsFontSharesWidthsAcrossDigits()
    {
        const QFont font = yaheiFont(9);
        if (!QFontInfo(font).family().startsWith(QStringLiteral("Noto Sans CJK")))
            QSKIP("the form's font is not drawn with Noto Sans CJK here");
        // Its digits are interchangeable, so the exactness above covered the shared widths.
        QVERIFY(TextWidthCache(font).digitsInterchangeable());
    }

    void proportionalDigitsAreMeasuredOneByOne()
    {
        // A font whose digits differ in width: each text measured for itself, still exact.
        for (const char* family : {"DejaVu Serif", "Noto Serif CJK SC", "Noto Sans CJK SC", "DejaVu Sans"}) {
            QFont font{QString::fromLatin1(family)};
            font.setPointSize(9);
            font.setStyleStrategy(QFont::NoFontMerging);
            const QFontMetricsF exact(font);
            if (exact.horizontalAdvance(QStringLiteral("1")) == exact.horizontalAdvance(QStringLiteral("0")))
                continue;
            TextWidthCache cache(font);
            QVERIFY(!cache.digitsInterchangeable());
            compareWith(font);
            return;
        }
        QSKIP("no installed font with proportional digits");
    }
};

QTEST_MAIN(TextWidthsTest)
#include "test_text_widths.moc"
