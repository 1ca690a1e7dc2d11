// write_app_icons: writes the application icon, as the console draws it, for installation.
//   write_app_icons FOLDER     a hicolor icon theme tree: <FOLDER>/hicolor/<N>x<N>/apps/zentor.png
//                              at every size the icon is drawn at (Linux)
//   write_app_icons --ico FILE one Windows icon file holding every size, each image a PNG, as
//                              Windows has read them since Vista (the program's resource icon,
//                              the Start-menu entry and the installer's)
// Run at build time; needs a QGuiApplication (QT_QPA_PLATFORM=offscreen).

#include "Artwork.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <cstdio>
#include <vector>

using namespace zentor;

namespace {

QImage drawn(const QIcon& icon, int edge)
{
    return icon.pixmap(QSize(edge, edge), 1.0).toImage();
}

int writeTree(const QIcon& icon, const QDir& top)
{
    for (const int edge : art::kIconSizes) {
        const QString dir = top.filePath(QStringLiteral("hicolor/%1x%1/apps").arg(edge));
        const QString file = QDir(dir).filePath(QStringLiteral("zentor.png"));
        const QImage image = drawn(icon, edge);
        if (image.size() != QSize(edge, edge) || !QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "write_app_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

void put16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// The icon file: a 6-byte header (0, type 1, count), one 16-byte entry per image (width and
// height, 0 meaning 256; no palette; 1 plane; 32 bits; the image's length and offset), then the
// images.
int writeIco(const QIcon& icon, const QString& file)
{
    std::vector<QByteArray> pngs;
    for (const int edge : art::kIconSizes) {
        const QImage image = drawn(icon, edge);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (image.size() != QSize(edge, edge) || edge > 256 || !image.save(&buffer, "PNG")) {
            std::fprintf(stderr, "write_app_icons: cannot draw the %d pixel icon\n", edge);
            return 1;
        }
        pngs.push_back(png);
    }
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, quint16(pngs.size()));
    quint32 offset = quint32(6 + 16 * pngs.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        const int edge = art::kIconSizes[i];
        out.append(char(edge == 256 ? 0 : edge));
        out.append(char(edge == 256 ? 0 : edge));
        out.append(char(0));
        out.append(char(0));
        put16(out, 1);
        put16(out, 32);
        put32(out, quint32(pngs[i].size()));
        put32(out, offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs) out.append(png);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(out) != out.size() || !f.flush()) {
        std::fprintf(stderr, "write_app_icons: cannot write %s: %s\n", qPrintable(file), qPrintable(f.errorString()));
        f.remove();
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    const QIcon icon = art::AppIcon();
    if (args.size() == 3 && args[1] == QLatin1String("--ico")) return writeIco(icon, args[2]);
    if (args.size() == 2) return writeTree(icon, QDir(args[1]));
    std::fputs("usage: write_app_icons FOLDER | --ico FILE\n", stderr);
    return 2;
}
