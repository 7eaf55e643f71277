#include "main_window/Frmtu.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPalette>

namespace {

// A background larger than this is refused like an unreadable file: decoded it would hold
// hundreds of megabytes, and stretching it on every resize would stall the window.
constexpr qint64 kMaxPicturePixels = 64'000'000;
// The decoder's own budget, which it counts at 32 bits a pixel whatever the format.
constexpr int kDecodeLimitMegabytes = int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1;

// The picture last decoded, with what identified its file then.
struct DecodedPicture
{
    QString file;
    qint64 bytes = -1;
    QDateTime modified;
    QImage image; // null when the file was no usable picture
};

DecodedPicture& lastPicture()
{
    static DecodedPicture picture;
    return picture;
}

QImage decode(const QString& file)
{
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true); // the name says BMP, whatever the file holds
    reader.setAllocationLimit(kDecodeLimitMegabytes);
    // The header is enough to refuse a giant picture before its pixels are read.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return QImage();
    QImage image = reader.read();
    if (image.isNull())
        return image;
    // Once, in the form the painter draws from, instead of converting it on every resize.
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

// The picture of `file`, decoded again only when the file's size or modification time changed.
QImage picture(const QString& file)
{
    DecodedPicture& last = lastPicture();
    const QFileInfo info(file);
    if (!info.isFile()) {
        last = DecodedPicture();
        return QImage();
    }
    const qint64 bytes = info.size();
    const QDateTime modified = info.lastModified();
    if (last.file != file || last.bytes != bytes || last.modified != modified) {
        last = DecodedPicture(); // the old picture's memory first
        last.image = decode(file);
        last.file = file;
        last.bytes = bytes;
        last.modified = modified;
    }
    return last.image;
}

} // namespace

QString Frmtu::pictureFile()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/MDI.BMP");
}

QColor Frmtu::backColor()
{
    return QApplication::palette().color(QPalette::Window);
}

QPixmap Frmtu::paint(QSize clientSize, qreal devicePixelRatio, const QString& file, const QColor& backColor)
{
    if (clientSize.isEmpty())
        return QPixmap();
    QPixmap surface(clientSize * devicePixelRatio);
    surface.setDevicePixelRatio(devicePixelRatio);
    surface.fill(backColor);

    const QImage image = picture(file);
    if (image.isNull())
        return surface;
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), clientSize), image);
    return surface;
}
