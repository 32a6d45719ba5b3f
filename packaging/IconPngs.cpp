// Writes the application icon as PNG files for the desktop's icon theme:
// quillmar_icons <folder> <name> <size>... writes
// <folder>/<size>x<size>/apps/<name>.png for every size.
#include "IconsAndStrings.h"

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <folder> <name> <size>...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "%s: size %s out of 16..1024\n", argv[0], argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !AppIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "%s: can't write %s\n", argv[0], qPrintable(path));
            return 1;
        }
    }
    return 0;
}
