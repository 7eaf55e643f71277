#include "main_window/BannerStrip.h"

#include "core/Twips.h"
#include "main_window/Resources.h"

#include <QPainter>

namespace {
constexpr double kStripHeight = 810;

QPixmap bannerPicture()
{
    initMainWindowResources();
    return QPixmap(QStringLiteral(":/main_window/banner.bmp"));
}

QRectF toPixels(const QRectF& twips)
{
    return QRectF(twips.x() / kTwipsPerPixel, twips.y() / kTwipsPerPixel, twips.width() / kTwipsPerPixel,
                  twips.height() / kTwipsPerPixel);
}
} // namespace

BannerStrip::BannerStrip(QWidget* parent) : QWidget(parent), m_picture(bannerPicture())
{
    setObjectName(QStringLiteral("Picture1"));
    setFixedHeight(twipsToPixels(kStripHeight));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor BannerStrip::backColor()
{
    return QColor(0x1B, 0x4F, 0x86);
}

QSizeF BannerStrip::pictureTwips() const
{
    return QSizeF(pixelsToTwips(m_picture.width()), pixelsToTwips(m_picture.height()));
}

void BannerStrip::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Picture1_Resize();
}

void BannerStrip::Picture1_Resize()
{
    // Replaces what the last resize drew; the picture itself stays underneath.
    m_drawn = bannerCopies(pixelsToTwips(width()), pixelsToTwips(height()), pictureTwips());
    update();
}

void BannerStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), backColor());
    painter.drawPixmap(0, 0, m_picture);
    // Only the squeezed tail is scaled; smoothing keeps its buildings from breaking up.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const BannerCopy& copy : m_drawn) {
        const auto inside = clipToPicture(copy, pictureTwips());
        if (inside)
            painter.drawPixmap(toPixels(inside->destination), m_picture, toPixels(inside->source));
    }
}
