// Writes the window icon at the sizes desktop menus ask the hicolor theme for.
// Usage: chengling-icon-sizes <icon.png> <output folder> <size>...
// Each size goes to <output folder>/<size>x<size>/chengling-wuye.png.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <icon.png> <output folder> <size>...\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return 2;
        }
        const QString dir = out + QStringLiteral("/%1x%1").arg(size);
        const QString file = dir + QStringLiteral("/chengling-wuye.png");
        // Smooth scaling keeps the roof's edges readable at 16 and 32 pixels.
        const QImage scaled = source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(dir) || !scaled.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
