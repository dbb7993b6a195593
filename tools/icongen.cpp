// icongen: writes the application icon for installing, as a hicolor icon theme tree:
//   OUT/hicolor/scalable/apps/ID.svg and OUT/hicolor/NxN/apps/ID.png for N = 16 .. 256.
// Run by the build (the icons are installed from the build folder).
//
//   icongen OUT
#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/appicon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen OUT\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/");
    const QString name = QString::fromLatin1(kAppId);
    auto folder = [&](const QString& sub) {
        const QString path = out + sub + QStringLiteral("/apps/");
        QDir().mkpath(path);
        return path;
    };
    QFile svg(folder(QStringLiteral("scalable")) + name + QStringLiteral(".svg"));
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(AppIconSvg().toUtf8()) < 0) {
        std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString png = folder(QStringLiteral("%1x%1").arg(size)) + name + QStringLiteral(".png");
        if (!AppIconImage(size).save(png, "PNG")) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(png));
            return 1;
        }
    }
    return 0;
}
