#include "main_window/BannerLayout.h"

namespace {
constexpr int kColumnX = 8850;
constexpr int kColumnWidth = 300;
constexpr int kTailWidth = 4000;
constexpr int kMaxColumns = 10000;
} // namespace

QList<BannerCopy> bannerCopies(double stripWidth, double stripHeight, QSizeF pictureTwips)
{
    QList<BannerCopy> copies;
    // The strip's width is single precision; the column positions are whole numbers.
    const float limit = static_cast<float>(stripWidth) - static_cast<float>(kTailWidth);
    for (int i = 1; i <= kMaxColumns; ++i) {
        const int x = i * kColumnWidth + kColumnX;
        if (!(limit > static_cast<float>(x)))
            break;
        copies.append(
            {QRectF(x, 0, kColumnWidth, stripHeight), QRectF(kColumnX, 0, kColumnWidth, pictureTwips.height())});
    }
    copies.append(
        {QRectF(limit, 0, kTailWidth, stripHeight), QRectF(kColumnX, 0, pictureTwips.width(), pictureTwips.height())});
    return copies;
}

std::optional<BannerCopy> clipToPicture(const BannerCopy& copy, QSizeF pictureTwips)
{
    const QRectF& s = copy.source;
    const QRectF& d = copy.destination;
    if (s.width() <= 0 || s.height() <= 0)
        return std::nullopt;
    const QRectF inside = s.intersected(QRectF(QPointF(0, 0), pictureTwips));
    if (inside.isEmpty())
        return std::nullopt;
    const double sx = d.width() / s.width();
    const double sy = d.height() / s.height();
    const QRectF destination(d.x() + (inside.x() - s.x()) * sx, d.y() + (inside.y() - s.y()) * sy, inside.width() * sx,
                             inside.height() * sy);
    return BannerCopy{destination, inside};
}
