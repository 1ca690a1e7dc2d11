// Writes PNG files of the drawn controls and the artwork into a folder, so they can be
// looked at by eye: render_panel_art [folder] [--scale 2].

#include "Artwork.h"
#include "ChartDraw.h"
#include "ControlIds.h"
#include "DrawStatic.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QStringList>

#include <cmath>
#include <cstdio>

using namespace zentor;

namespace {

bool Save(const QDir& dir, const QString& name, const QImage& image)
{
    const QString path = dir.filePath(name);
    const bool ok = image.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// A current trace as a test bench shows it: a start-up peak, load steps and ripple.
int32_t Current(int i)
{
    const double base = i < 40 ? 300 + 600 * std::exp(-i / 12.0) : (i % 300 < 150 ? 420 : 610);
    return int32_t(base + 25 * std::sin(i / 3.0) + 10 * std::sin(i / 1.3));
}

// Five digit images side by side, as the RPM display shows them.
QImage DisplayStrip(const int (&ids)[5], qreal dpr)
{
    QImage strip((QSizeF(5 * art::kDigitSize.width(), art::kDigitSize.height()) * dpr).toSize(), QImage::Format_RGB32);
    strip.setDevicePixelRatio(dpr);
    QPainter p(&strip);
    for (int i = 0; i < 5; ++i) p.drawImage(QPoint(i * art::kDigitSize.width(), 0), art::Image(ids[i], dpr));
    return strip;
}

}  // namespace

int main(int argc, char* argv[])
{
    QString folder = QStringLiteral("panel-art");
    QByteArray scale = "1";
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--scale" && i + 1 < argc)
            scale = argv[++i];
        else
            folder = QString::fromLocal8Bit(argv[i]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", scale);
    QApplication app(argc, argv);
    QDir dir;
    if (!dir.mkpath(folder)) return 1;
    dir.setPath(folder);
    const qreal dpr = scale.toDouble() > 0 ? scale.toDouble() : 1.0;
    const QString suffix = dpr == 1.0 ? QString() : QStringLiteral("@%1x").arg(dpr);
    bool ok = true;

    CDrawStatic dial;
    dial.resize(250, 250);
    dial.SetDegreesMode(false);
    dial.SetValues(1200, 300, 900);
    ok &= Save(dir, QStringLiteral("dial_position%1.png").arg(suffix), dial.grab().toImage());
    dial.SetValues(1200, -300, 2500);
    ok &= Save(dir, QStringLiteral("dial_negative%1.png").arg(suffix), dial.grab().toImage());
    dial.SetValues(3200, 1234, 77777);
    ok &= Save(dir, QStringLiteral("dial_moving%1.png").arg(suffix), dial.grab().toImage());
    dial.SetActualShown(false);
    dial.SetValues(0, 0, 0);
    ok &= Save(dir, QStringLiteral("dial_speed_control%1.png").arg(suffix), dial.grab().toImage());

    CChartDraw chart;
    chart.resize(430, 210);
    ChartSeries* s = chart.AddSeries(QStringLiteral("Limit"), QStringLiteral("(A)"), 0, 1100, 1000, 2, QColor(249, 168, 37));
    s->limit = 800;
    s->maximum = 1000;
    chart.Restart(s);
    ok &= Save(dir, QStringLiteral("chart_empty%1.png").arg(suffix), chart.grab().toImage());
    for (int i = 0; i < 260; ++i) chart.AddSample(s, Current(i));
    ok &= Save(dir, QStringLiteral("chart_running%1.png").arg(suffix), chart.grab().toImage());
    s->limit = 300;
    for (int i = 260; i < 1400; ++i) chart.AddSample(s, Current(i));
    ok &= Save(dir, QStringLiteral("chart_wrapped_low_limit%1.png").arg(suffix), chart.grab().toImage());

    namespace rid = ids::art;
    const int all[] = {rid::Digit0, rid::Digit1, rid::Digit2, rid::Digit3, rid::Digit4, rid::Digit5,
                       rid::Digit6, rid::Digit7, rid::Digit8, rid::Digit9, rid::Blank, rid::Dash,
                       rid::FaultF, rid::FaultA, rid::FaultU, rid::FaultL, rid::FaultT};
    for (const int id : all) ok &= Save(dir, QStringLiteral("digit_%1%2.png").arg(id).arg(suffix), art::Image(id, dpr));
    const int rpm[5] = {rid::Blank, rid::Digit1, rid::Digit2, rid::Digit7, rid::Digit5};
    const int fault[5] = {rid::FaultF, rid::FaultA, rid::FaultU, rid::FaultL, rid::FaultT};
    const int dashes[5] = {rid::Dash, rid::Dash, rid::Dash, rid::Dash, rid::Dash};
    const int figures[5] = {rid::Digit3, rid::Digit4, rid::Digit6, rid::Digit8, rid::Digit0};
    ok &= Save(dir, QStringLiteral("display_1275%1.png").arg(suffix), DisplayStrip(rpm, dpr));
    ok &= Save(dir, QStringLiteral("display_fault%1.png").arg(suffix), DisplayStrip(fault, dpr));
    ok &= Save(dir, QStringLiteral("display_dashes%1.png").arg(suffix), DisplayStrip(dashes, dpr));
    ok &= Save(dir, QStringLiteral("display_34680%1.png").arg(suffix), DisplayStrip(figures, dpr));

    ok &= Save(dir, QStringLiteral("picture_160%1.png").arg(suffix), art::Image(rid::LeftPicture, dpr));
    ok &= Save(dir, QStringLiteral("picture_161%1.png").arg(suffix), art::Image(rid::TopPicture, dpr));
    const QIcon icon = art::AppIcon();
    for (const int edge : art::kIconSizes)
        ok &= Save(dir, QStringLiteral("icon_%1.png").arg(edge), icon.pixmap(QSize(edge, edge), 1.0).toImage());
    return ok ? 0 : 1;
}
