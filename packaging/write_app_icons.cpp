// write_app_icons: writes the application icon, as the console draws it, into a hicolor icon
// theme tree for installation: <folder>/hicolor/<N>x<N>/apps/zentor.png at every size the
// icon is drawn at. Run at build time; needs a QGuiApplication (QT_QPA_PLATFORM=offscreen).

#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QString>
#include <cstdio>

using namespace zentor;

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: write_app_icons FOLDER\n", stderr);
        return 2;
    }
    const QDir top(args[1]);
    const QIcon icon = art::AppIcon();
    for (const int edge : art::kIconSizes) {
        const QString dir = top.filePath(QStringLiteral("hicolor/%1x%1/apps").arg(edge));
        const QString file = QDir(dir).filePath(QStringLiteral("zentor.png"));
        const QImage image = icon.pixmap(QSize(edge, edge), 1.0).toImage();
        if (image.size() != QSize(edge, edge) || !QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "write_app_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
