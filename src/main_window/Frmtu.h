#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QString>

// Frmtu, the painter of the main window's background. It is never seen: it paints the picture
// file stretched over an off-screen surface of the client area's size and hands it over.
namespace Frmtu {

// The picture file beside the executable.
QString pictureFile();

// Frmtu's own fill colour, what the client area shows when the picture cannot be read.
QColor backColor();

// A surface of `clientSize` logical pixels: cleared to `backColor`, then the picture file drawn
// stretched over all of it. The decoded picture is kept while the file keeps its size and
// modification time, so a resize only scales it. A missing, empty or unreadable file, or a
// picture of more than 64 megapixels, leaves the cleared surface, without a message; an empty
// size gives a null pixmap.
QPixmap paint(QSize clientSize, qreal devicePixelRatio, const QString& file, const QColor& backColor);

} // namespace Frmtu
