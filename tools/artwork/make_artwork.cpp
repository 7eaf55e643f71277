// Draws the program's artwork: the banner bitmap of the main window's top strip, the window
// icon and the background picture MDI.BMP. Usage: chengling-artwork <resources folder>.
//
// The banner's layout follows how the main window redraws its strip: the left part (up to
// x 590) stays as drawn, the plain column at x 590..610 is repeated across the middle, and the
// picture from x 590 on is squeezed into the strip's right end. So the right part is a plain
// colour with a skyline that still reads as one when squeezed, and everything right of the
// title ends in the same plain colour the strip is filled with.

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const QColor kBannerBase(0x1B, 0x4F, 0x86); // also the strip's fill colour in the program
const QColor kGold(0xF3, 0xC2, 0x4E);

// A fixed pseudo-random sequence, so the pictures come out the same on every run.
class Sequence
{
public:
    explicit Sequence(quint32 seed) : m_state(seed) {}
    int next(int from, int to)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return from + static_cast<int>((m_state >> 8) % static_cast<quint32>(to - from + 1));
    }

private:
    quint32 m_state;
};

QFont cjkFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A house under a roof: the emblem of the banner and the icon.
void drawHouse(QPainter& p, const QRectF& box, const QColor& house, const QColor& door)
{
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath roof;
    roof.moveTo(box.left(), box.top() + h * 0.48);
    roof.lineTo(box.center().x(), box.top());
    roof.lineTo(box.right(), box.top() + h * 0.48);
    roof.lineTo(box.right() - w * 0.1, box.top() + h * 0.48);
    roof.lineTo(box.center().x(), box.top() + h * 0.13);
    roof.lineTo(box.left() + w * 0.1, box.top() + h * 0.48);
    roof.closeSubpath();
    p.fillPath(roof, house);
    const QRectF body(box.left() + w * 0.2, box.top() + h * 0.42, w * 0.6, h * 0.58);
    QPainterPath bodyPath;
    bodyPath.moveTo(body.left(), body.bottom());
    bodyPath.lineTo(body.left(), body.top() + h * 0.08);
    bodyPath.lineTo(box.center().x(), body.top() - h * 0.13);
    bodyPath.lineTo(body.right(), body.top() + h * 0.08);
    bodyPath.lineTo(body.right(), body.bottom());
    bodyPath.closeSubpath();
    p.fillPath(bodyPath, house);
    p.fillRect(QRectF(box.center().x() - w * 0.09, body.bottom() - h * 0.3, w * 0.18, h * 0.3), door);
}

// Buildings standing on `ground` between left and right, tallest in the middle.
void drawSkyline(QPainter& p, int left, int right, int ground, int maxHeight, const QColor& body, const QColor& window,
                 quint32 seed)
{
    Sequence seq(seed);
    int x = left;
    while (x < right - 6) {
        const int width = seq.next(14, 30);
        const int w = std::min(width, right - x);
        const double mid = (x + w / 2.0 - left) / double(right - left); // 0..1 across the skyline
        const double envelope = 0.35 + 0.65 * (1.0 - std::abs(mid - 0.55) * 1.6);
        const int height = std::max(8, static_cast<int>(maxHeight * envelope * seq.next(55, 100) / 100.0));
        const QRect building(x, ground - height, w, height);
        p.fillRect(building, body);
        if (seq.next(0, 2) == 0) // a roof antenna now and then
            p.fillRect(QRect(x + w / 2, ground - height - 5, 1, 5), body);
        for (int wy = building.top() + 4; wy + 3 < ground - 2; wy += 6)
            for (int wx = x + 3; wx + 3 < x + w - 1; wx += 6)
                if (seq.next(0, 4) == 0)
                    p.fillRect(QRect(wx, wy, 3, 3), window);
        x += w + seq.next(1, 4);
    }
}

QImage banner()
{
    QImage image(1028, 54, QImage::Format_RGB888);
    image.fill(kBannerBase);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Left part: lighter behind the title, down to the plain colour well before x 590.
    QLinearGradient shade(0, 0, 560, 0);
    shade.setColorAt(0.0, QColor(0x2E, 0x7B, 0xBF));
    shade.setColorAt(0.55, QColor(0x22, 0x62, 0xA1));
    shade.setColorAt(1.0, kBannerBase);
    p.fillRect(QRect(0, 0, 560, 54), shade);
    QRadialGradient glow(QPointF(34, 27), 60);
    glow.setColorAt(0.0, QColor(255, 255, 255, 60));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, 100, 54), glow);

    // Emblem: a golden disc with a house.
    QRadialGradient disc(QPointF(30, 21), 24);
    disc.setColorAt(0.0, QColor(0xFB, 0xDC, 0x86));
    disc.setColorAt(1.0, QColor(0xE0, 0x9C, 0x2E));
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
    p.setBrush(disc);
    p.drawEllipse(QPointF(34, 27), 19, 19);
    drawHouse(p, QRectF(22, 15, 24, 22), Qt::white, kBannerBase);

    // Title and a line of what the tool does under it (every text the user sees is Chinese).
    QFont title = cjkFont(23, true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 70));
    p.drawText(QPointF(66, 30), QStringLiteral("澄岭物业管理工具"));
    p.setPen(Qt::white);
    p.drawText(QPointF(65, 29), QStringLiteral("澄岭物业管理工具"));
    QFont subtitle = cjkFont(10, false);
    subtitle.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    p.setFont(subtitle);
    p.setPen(QColor(0xB8, 0xD4, 0xEE));
    p.drawText(QPointF(66, 45), QStringLiteral("业主编号 · 银行扣款方式设置"));
    p.fillRect(QRectF(66, 49.5, 28, 1.5), kGold);

    // Tail: a skyline, far row paler than the near one, right of the repeated column.
    p.setRenderHint(QPainter::Antialiasing, false);
    drawSkyline(p, 660, 1010, 54, 46, QColor(0x23, 0x5D, 0x97), QColor(0x3A, 0x74, 0xAE), 7);
    drawSkyline(p, 700, 990, 54, 34, QColor(0x2B, 0x69, 0xA6), QColor(0xF0, 0xCF, 0x7A), 11);
    return image;
}

QImage icon()
{
    QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, 256);
    back.setColorAt(0.0, QColor(0x33, 0x85, 0xCB));
    back.setColorAt(1.0, kBannerBase);
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 52, 52);
    p.setBrush(kGold);
    p.drawEllipse(QPointF(128, 128), 92, 92);
    drawHouse(p, QRectF(68, 62, 120, 118), Qt::white, kBannerBase);
    return image;
}

QImage background()
{
    QImage image(800, 500, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 500);
    sky.setColorAt(0.0, QColor(0xD9, 0xE5, 0xF0));
    sky.setColorAt(0.7, QColor(0xEE, 0xF3, 0xF8));
    sky.setColorAt(1.0, QColor(0xF4, 0xF7, 0xFA));
    p.fillRect(image.rect(), sky);

    // Soft light from the upper right.
    QRadialGradient light(QPointF(640, 60), 420);
    light.setColorAt(0.0, QColor(255, 255, 255, 150));
    light.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), light);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    p.setBrush(Qt::NoBrush);
    for (int r = 120; r <= 360; r += 80)
        p.drawEllipse(QPointF(640, 60), r, r);

    // Two rows of buildings along the bottom, fading into the sky.
    p.setRenderHint(QPainter::Antialiasing, false);
    drawSkyline(p, 0, 800, 500, 150, QColor(0xDC, 0xE5, 0xEE), QColor(0xE6, 0xED, 0xF4), 3);
    drawSkyline(p, 20, 780, 500, 95, QColor(0xD0, 0xDC, 0xE8), QColor(0xDD, 0xE6, 0xEF), 5);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 470, 0, 500);
    ground.setColorAt(0.0, QColor(0xC8, 0xD6, 0xE4, 0));
    ground.setColorAt(1.0, QColor(0xC8, 0xD6, 0xE4, 255));
    p.fillRect(QRect(0, 470, 800, 30), ground);
    return image;
}

bool save(const QImage& image, const QString& path, const char* format)
{
    if (image.save(path, format))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    // Qt writes RGB888 images as 24-bit bitmaps.
    const bool ok = save(banner(), dir + QStringLiteral("/banner.bmp"), "BMP") &&
                    save(icon(), dir + QStringLiteral("/icon.png"), "PNG") &&
                    save(background(), dir + QStringLiteral("/MDI.BMP"), "BMP");
    return ok ? 0 : 1;
}
