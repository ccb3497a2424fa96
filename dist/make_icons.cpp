// Writes the application icon at the hicolor theme's sizes, from the same
// drawing as the window's own icon: make_icons OUTDIR writes
// OUTDIR/<n>x<n>/apps/wrenfold.png for each size.
#include "app/Artwork.h"
#include <QDir>
#include <QImage>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: make_icons OUTDIR\n", stderr);
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QString file = dir + QStringLiteral("/wrenfold.png");
        if (!QDir().mkpath(dir) || !wf::iconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
