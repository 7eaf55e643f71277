// Creates the demo database, or with --rooms N the benchmark database of one office.
#include "DemoData.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "用法: %s 数据库文件 [--rooms N]\n", argv[0]);
        return 2;
    }
    try {
        const int roomsAt = args.indexOf(QStringLiteral("--rooms"));
        if (roomsAt > 0 && roomsAt + 1 < args.size())
            DemoData::createBenchmarkDatabase(args[1], args[roomsAt + 1].toInt());
        else
            DemoData::createDemoDatabase(args[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
