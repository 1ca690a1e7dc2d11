#include "ChartDraw.h"

#include "Artwork.h"
#include "OffscreenImage.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace zentor {

namespace {

// The trace follows the pixel rules of the window system the console was first drawn for,
// so its pixels lie where the walk predicts: a line includes its start and leaves out its
// end point, and an ellipse given as left, top, right, bottom covers the pixels
// left..right-1, top..bottom-1 (Qt's rectangle ellipse covers one pixel more in each
// direction, hence the -1).
void EllipseAround(QPainter& p, int x, int y, int radius)
{
    p.drawEllipse(QRect(x - radius, y - radius, 2 * radius - 1, 2 * radius - 1));
}

// The pixels of a line from a to b, a included and b left out, as one-pixel squares (so a
// scaled image gets solid blocks). Qt's own line drawing leaves out whichever end comes
// last in its drawing order, which differs for lines going up or left.
void AppendLine(std::vector<QRect>& out, QPoint a, QPoint b)
{
    const int dx = std::abs(b.x() - a.x());
    const int dy = -std::abs(b.y() - a.y());
    const int sx = a.x() < b.x() ? 1 : -1;
    const int sy = a.y() < b.y() ? 1 : -1;
    int err = dx + dy;
    int x = a.x(), y = a.y();
    while (x != b.x() || y != b.y()) {
        out.emplace_back(x, y, 1, 1);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}


}  // namespace

QString FormatFixed(int32_t value, int32_t divisor)
{
    if (divisor == 0) return QString::number(value);
    // 64-bit so that the smallest value and a negative divisor cannot overflow.
    const int64_t d = std::llabs(int64_t(divisor));
    const int64_t a = std::llabs(int64_t(value));
    const int decimals = int(QString::number(d).size()) - 1;
    QString text = value < 0 ? QStringLiteral("-") : QString();
    text += QString::number(a / d) + QLatin1Char('.');
    if (decimals > 0) text += QString::number(a % d).rightJustified(decimals, QLatin1Char('0'));
    return text;
}

CChartDraw::CChartDraw(QWidget* parent) : QFrame(parent)
{
    // The sunken client edge of the graph: two pixels, outside the client area.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAttribute(Qt::WA_OpaquePaintEvent);
    font_ = art::ArialFont(12);
    series_.reserve(10);
    // The pixels of one trace, kept between redraws so a sample allocates nothing.
    pixels_.reserve(8192);
    resize(430, 210);
    SetUpGeometry();
    Render();
}

CChartDraw::~CChartDraw() = default;

ChartSeries* CChartDraw::AddSeries(const QString& name, const QString& unit, int32_t minimum, int32_t maximum,
                                   int32_t limit, int32_t decimals, const QColor& colour)
{
    std::unique_ptr<ChartSeries> s(new (std::nothrow) ChartSeries);
    if (!s) return nullptr;
    s->colour = colour;
    s->pen = QPen(colour, 1);
    s->brush = QBrush(colour);
    s->name = name;
    s->unit = unit;
    s->minimum = minimum;
    s->maximum = maximum;
    s->limit = limit;
    // More than 9 decimals would not fit the 32-bit divisor.
    decimals = std::clamp(decimals, 0, 9);
    int32_t divisor = decimals == 0 ? 0 : 1;
    for (int i = 0; i < decimals; ++i) divisor *= 10;
    s->divisor = divisor;
    series_.push_back(std::move(s));
    return series_.back().get();
}

void CChartDraw::AddSample(ChartSeries* series, int32_t value)
{
    const bool known = std::any_of(series_.begin(), series_.end(), [series](const auto& s) { return s.get() == series; });
    if (series_.empty() || !series || !known) return;
    ChartSeries& s = *series;
    s.hasData = 1;
    s.ring[size_t(s.count)] = value;
    s.count += 1;
    // The axis only grows: a value outside it widens it instead of being clipped.
    if (value < s.minimum) s.minimum = value;
    if (value > s.maximum) s.maximum = value;
    if (s.count >= ChartSeries::kRingSize) {
        s.count = 0;
        s.wrapped = 1;
    }
    if (scrollCopy_) {
        const auto ring = s.ring.begin();
        std::copy(ring, ring + s.count, s.chronological.begin() + (ChartSeries::kRingSize - s.count));
        std::copy(ring + s.count, s.ring.end(), s.chronological.begin());
    }
    Redraw();
}

void CChartDraw::Redraw()
{
    SetUpGeometry();
    Render();
    if (series_.empty()) return;
    ++repaintRequests_;
    update();
}

void CChartDraw::Restart(ChartSeries* series)
{
    const bool known = std::any_of(series_.begin(), series_.end(), [series](const auto& s) { return s.get() == series; });
    if (!series || !known) return;
    series->count = 0;
    series->wrapped = 0;
    Redraw();
}

void CChartDraw::paintEvent(QPaintEvent*)
{
    // A size or pixel ratio that changed while the widget was hidden is caught up here.
    if (SetUpGeometry()) Render();
    QPainter p(this);
    if (!bitmap_.isNull()) p.drawImage(contentsRect().topLeft(), bitmap_);
    drawFrame(&p);
}

void CChartDraw::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    if (SetUpGeometry()) Redraw();
}

bool CChartDraw::SetUpGeometry()
{
    const QSize client = contentsRect().size().expandedTo(QSize(0, 0));
    const qreal dpr = devicePixelRatioF();
    if (!OffscreenImageStale(bitmap_, client, QSize(clientWidth_, clientHeight_), dpr)) return false;
    clientWidth_ = client.width();
    clientHeight_ = client.height();
    plotLeft_ = 2;
    plotTop_ = 2;
    plotRight_ = clientWidth_ - 2;
    plotBottom_ = clientHeight_ - 2;
    xStep_ = 1;
    bitmap_ = MakeOffscreenImage(client, dpr, kBackground);
    return true;
}

void CChartDraw::Render()
{
    if (bitmap_.isNull()) return;
    bitmap_.fill(kBackground);
    if (series_.empty()) return;
    QPainter p(&bitmap_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    for (const auto& s : series_) DrawSeries(p, *s);
}

int CChartDraw::ValueY(int32_t value, int32_t minimum, float scale) const
{
    const int64_t distance = std::llabs(int64_t(value) - minimum);
    // Bounded before the conversion: an axis the owner narrowed far below the samples
    // must not push the product out of the integer range.
    const float offset = std::clamp(float(distance) * scale, -1.0e7f, 1.0e7f);
    return plotBottom_ - int(offset);
}

void CChartDraw::DrawSeries(QPainter& p, const ChartSeries& s)
{
    // Only as many points as the ring holds, however wide the control is.
    const int n = std::min(s.wrapped ? PlotWidth() : s.count, ChartSeries::kRingSize);
    // Maximum equal to minimum leaves the scale undefined: every point then lies on the
    // bottom of the plot.
    const int64_t range = int64_t(s.maximum) - s.minimum;
    const float scale = range == 0 ? 0.0f : float(PlotHeight()) / float(range);

    if (s.showLimit) DrawLimit(p, s, scale);
    if (n <= 0) return;

    p.setPen(s.pen);
    p.setBrush(s.brush);
    pixels_.clear();
    // A free-range trace may leave the image by far; its lines are cut off just outside.
    const int lowest = -1, highest = clientHeight_;
    QPoint previous;
    for (int i = 0;; ++i) {
        const int x = plotRight_ - i * xStep_;
        // Points 0 and 1 both show the newest sample.
        const int32_t value = s.chronological[size_t(ChartSeries::kRingSize - std::max(i, 1))];
        int y = ValueY(value, s.minimum, scale);
        if (i == 0) EllipseAround(p, x, y, 2);
        y = s.freeRange ? std::clamp(y, lowest, highest) : std::clamp(y, plotTop_, plotBottom_);
        if (i >= 1) AppendLine(pixels_, QPoint(x, y), previous);
        previous = QPoint(x, y);
        if (i >= n || x - xStep_ <= plotLeft_ - xStep_) break;
    }
    p.setPen(Qt::NoPen);
    p.drawRects(pixels_.data(), int(pixels_.size()));
}

QString CChartDraw::LimitLabel(const ChartSeries& s)
{
    return FormatFixed(s.limit, s.divisor) + s.unit;
}

void CChartDraw::DrawLimit(QPainter& p, const ChartSeries& s, float scale)
{
    const QString label = LimitLabel(s);
    const int y = ValueY(s.limit, s.minimum, scale);
    // The line from plot left to plot right, its end point left out.
    p.fillRect(QRect(plotLeft_, y, plotRight_ - plotLeft_, 1), kLimitLine);

    // The label stands above the line in the lower half of the range and below it from the
    // middle up, so it stays inside the plot.
    const int left = plotLeft_ + 2;
    const bool above = int64_t(s.limit) - s.minimum < (int64_t(s.maximum) - s.minimum) / 2;
    const int top = above ? y - 10 : y;
    // The text is centred on the 10-pixel box so its figures sit inside the box, clear of
    // the line, and is not cut at the box's 40-pixel width.
    p.setFont(font_);
    p.setPen(kLabelText);
    p.drawText(QRect(left, top, 40, 10), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, label);
}

}  // namespace zentor
