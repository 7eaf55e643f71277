#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <optional>

// One copy from the banner picture onto the strip, both rectangles in twips.
struct BannerCopy
{
    QRectF destination;
    QRectF source;
};

// What the strip's resize draws, in drawing order: the 300-twip column at source x 8850
// repeated from x 9150 while it lies left of (strip width - 4000), then the tail: the picture
// from source x 8850 with the drawing primitive's default source size (the whole picture)
// into the strip's right-hand 4000 twips. A strip 13150 twips wide or less gets the tail only.
QList<BannerCopy> bannerCopies(double stripWidth, double stripHeight, QSizeF pictureTwips);

// The part of a copy whose source lies inside the picture, the destination shrunk in
// proportion, as a blit clips it; nothing when no part of the source is inside.
std::optional<BannerCopy> clipToPicture(const BannerCopy& copy, QSizeF pictureTwips);
