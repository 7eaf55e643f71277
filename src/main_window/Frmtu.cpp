#include "main_window/Frmtu.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPalette>

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

    // Read the bytes ourselves: a pixmap loaded by file name may come from Qt's cache, and the
    // file is meant to be read anew each time.
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return surface;
    QImage picture;
    if (!picture.loadFromData(f.readAll()) || picture.isNull())
        return surface;
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), clientSize), picture);
    return surface;
}
