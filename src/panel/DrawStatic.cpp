#include "DrawStatic.h"

#include "Artwork.h"
#include "OffscreenImage.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zentor {

namespace {

// Degrees to radians, in single precision as the dial has always computed its markers.
constexpr float kDegree = 0.0174532775f;

// The dial follows the pixel rules of the window system the console was first drawn for,
// so its pixels lie where the layout predicts. A circle of radius r around (x, y) is the
// ellipse of the box x-r, y-r, x+r, y+r, which covers the pixels x-r..x+r-1 (Qt's
// rectangle ellipse covers one pixel more, hence the -1).
void EllipseAround(QPainter& p, int x, int y, int radius)
{
    if (radius <= 0) return;
    p.drawEllipse(QRect(x - radius, y - radius, 2 * radius - 1, 2 * radius - 1));
}

// A horizontal or vertical line from a to b: a included, b left out, as the window system
// draws it (Qt leaves out whichever end comes last in its own drawing order). A pen of
// width w covers w pixels across the line, from w / 2 before it.
void AxisLine(QPainter& p, QPoint a, QPoint b, int width, const QColor& colour)
{
    const int across = -(width / 2);
    if (a.y() == b.y()) {
        const int left = a.x() <= b.x() ? a.x() : b.x() + 1;
        p.fillRect(QRect(left, a.y() + across, std::abs(b.x() - a.x()), width), colour);
    } else {
        const int top = a.y() <= b.y() ? a.y() : b.y() + 1;
        p.fillRect(QRect(a.x() + across, top, width, std::abs(b.y() - a.y())), colour);
    }
}

// A box given by its edges, right and bottom one past the last pixel.
QRect Box(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}


}  // namespace

QString FormatPosition(int32_t value, bool degreesMode)
{
    QString text = QString::number(value);
    if (degreesMode) text += QChar(0x00B0);
    return text;
}

CDrawStatic::CDrawStatic(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    largeFont_ = art::ArialFont(15, QFont::Bold);
    smallFont_ = art::ArialFont(12);
    const QString zero = QStringLiteral("0.0") + QChar(0x00B0);
    actualText_ = targetText_ = stepsText_ = zero;
    resize(250, 250);
    SetUpGeometry();
    Render();
}

CDrawStatic::~CDrawStatic() = default;

void CDrawStatic::SetValues(int32_t s, int32_t target, int32_t actual)
{
    stepsText_ = QString::number(s);
    targetText_ = FormatPosition(target, degreesMode_);
    actualText_ = FormatPosition(actual, degreesMode_);
    // 64-bit remainders and products: the smallest position divided by -1, or a large
    // remainder times 360, would overflow 32 bits.
    if (s == 0) {
        targetAngle_ = actualAngle_ = 0.0f;
    } else {
        targetAngle_ = float(double((int64_t(target) % s) * 360) / double(s));
        actualAngle_ = float(double((int64_t(actual) % s) * 360) / double(s));
    }
    if (!degreesMode_) {
        stepsText_ = QStringLiteral("%1/R").arg(s);
        const int64_t d = s == 0 ? 1 : s;
        targetText_ = QStringLiteral("%1/%2R").arg(int64_t(target) % d).arg(int64_t(target) / d);
        actualText_ = actualShown_ ? QStringLiteral("%1/%2R").arg(int64_t(actual) % d).arg(int64_t(actual) / d)
                                   : QStringLiteral("- N/A -");
    }
    Redraw();
}

void CDrawStatic::Redraw()
{
    SetUpGeometry();
    Render();
    ++repaintRequests_;
    update();
}

void CDrawStatic::paintEvent(QPaintEvent*)
{
    // A size or pixel ratio that changed while the widget was hidden is caught up here.
    if (SetUpGeometry()) Render();
    QPainter p(this);
    if (!bitmap_.isNull()) p.drawImage(QPoint(0, 0), bitmap_);
}

void CDrawStatic::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (SetUpGeometry()) Redraw();
}

bool CDrawStatic::SetUpGeometry()
{
    const QSize client = size().expandedTo(QSize(0, 0));
    const qreal dpr = devicePixelRatioF();
    if (!OffscreenImageStale(bitmap_, client, QSize(clientWidth_, clientHeight_), dpr)) return false;
    clientWidth_ = client.width();
    clientHeight_ = client.height();
    centreX_ = clientWidth_ / 2;
    centreY_ = clientHeight_ / 2;
    radius_ = std::min(clientWidth_, clientHeight_) / 2;
    const int cx = centreX_, cy = centreY_, r = radius_;
    stepsBox_ = Box(cx - r + 7, cy - r, cx - r + 52, cy - r + 14);
    targetBox_ = Box(cx + r - 52, cy + r - 14, cx + r - 7, cy + r);
    centreBox_ = Box(cx - 30, cy - 8, cx + 30, cy + 8);
    bitmap_ = MakeOffscreenImage(client, dpr, kBackground);
    return true;
}

QPoint CDrawStatic::MarkerCentre(float angle, int distance) const
{
    const float theta = (90.0f - angle) * kDegree;
    return QPoint(centreX_ + int(std::cos(theta) * float(distance)), centreY_ - int(std::sin(theta) * float(distance)));
}

void CDrawStatic::Render()
{
    if (bitmap_.isNull()) return;
    const int cx = centreX_, cy = centreY_, r = radius_;
    const QPoint target = MarkerCentre(targetAngle_, r - 10);
    const QPoint actual = MarkerCentre(actualAngle_, r - 30);

    bitmap_.fill(kBackground);
    QPainter p(&bitmap_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QPen thin(kRing, 1);
    const QPen dark(kDark, 1);

    // Outer ring on the face, the white track of the target marker inside it.
    p.setPen(thin);
    p.setBrush(kFace);
    EllipseAround(p, cx, cy, r - 7);
    p.setBrush(Qt::white);
    EllipseAround(p, cx, cy, r - 15);

    // Leaders under the steps text (upper left) and the target text (lower right).
    AxisLine(p, QPoint(cx - r + 7, cy - r), QPoint(cx, cy - r), 1, kRing);
    AxisLine(p, QPoint(cx + 20, cy + r - 2), QPoint(cx + r - 7, cy + r - 2), 1, kRing);

    // The zero mark at the top and four quarter ticks pointing inwards.
    const int t = r - 18;
    AxisLine(p, QPoint(cx, cy - r), QPoint(cx, cy - r + 4), 2, kRing);
    AxisLine(p, QPoint(cx, cy - t), QPoint(cx, cy - t + 4), 2, kRing);
    AxisLine(p, QPoint(cx - t, cy), QPoint(cx - t + 4, cy), 2, kRing);
    AxisLine(p, QPoint(cx, cy + t), QPoint(cx, cy + t - 4), 2, kRing);
    AxisLine(p, QPoint(cx + t, cy), QPoint(cx + t - 4, cy), 2, kRing);

    // The hub, the target marker on the white track.
    p.setPen(dark);
    p.setBrush(kHub);
    EllipseAround(p, cx, cy, r - 23);
    p.setPen(thin);
    p.setBrush(kTarget);
    EllipseAround(p, target.x(), target.y(), 4);

    QColor centreText = kDark;
    if (actualShown_) {
        p.setPen(dark);
        p.setBrush(kActual);
        EllipseAround(p, actual.x(), actual.y(), 5);
        p.setFont(smallFont_);
        p.setPen(kDark);
        p.drawText(stepsBox_, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, stepsText_);
        p.setPen(kTarget);
        p.drawText(targetBox_, Qt::AlignRight | Qt::AlignBottom | Qt::TextDontClip, targetText_);
        centreText = Qt::black;
    }
    p.setFont(largeFont_);
    p.setPen(centreText);
    p.drawText(centreBox_, Qt::AlignCenter | Qt::TextDontClip, actualText_);
}

}  // namespace zentor
