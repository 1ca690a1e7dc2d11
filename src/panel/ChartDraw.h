#pragma once
// CChartDraw: the main window's current graph (control 1028), a strip chart whose trace
// scrolls from right to left with a limit line; it renders into an off-screen image and
// only copies that image to the screen when it paints.

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QPen>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace zentor {

// Fixed-point text of an integer: divisor 0 gives "%d", otherwise the value divided by the
// divisor with as many decimals as the divisor has zeros (800 / 100 gives "8.00", -5 "-0.05").
QString FormatFixed(int32_t value, int32_t divisor);

// One trace of the chart. The owner sets minimum, maximum and limit directly; they take
// effect at the next Redraw.
struct ChartSeries {
    static constexpr int kRingSize = 1024;

    int32_t hasData = 0;    // 1 after the first sample
    int32_t freeRange = 0;  // 0: points are clamped into the plot rectangle
    int32_t showLimit = 1;  // 1: draw the limit line and its label
    QColor colour;
    QPen pen;
    QBrush brush;
    QString name;  // not drawn
    QString unit;  // appended to the limit label
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t limit = 0;
    int32_t divisor = 0;  // 10^decimals, 0 for no decimals
    std::array<int32_t, kRingSize> ring{};           // samples in arrival order, circular
    std::array<int32_t, kRingSize> chronological{};  // the ring unrolled, newest in the last entry
    int32_t count = 0;    // next write index in the ring
    int32_t wrapped = 0;  // 1 once the ring has been filled
};

class CChartDraw : public QFrame {
    Q_OBJECT
public:
    explicit CChartDraw(QWidget* parent = nullptr);
    ~CChartDraw() override;

    // Creates a series and appends it to the chart; the chart owns it. No pointer when the
    // allocation fails. Decimals outside 0..9 are taken as the nearest of 0 and 9.
    ChartSeries* AddSeries(const QString& name, const QString& unit, int32_t minimum, int32_t maximum, int32_t limit,
                           int32_t decimals, const QColor& colour);
    // Stores one sample (ignored for a series the chart does not hold), widens the axis to
    // take it, and redraws.
    void AddSample(ChartSeries* series, int32_t value);
    // Renders every series into the off-screen image and requests a repaint; with no series
    // it only fills the image.
    void Redraw();
    // Starts the trace of a series anew (count and wrapped 0), then redraws.
    void Restart(ChartSeries* series);

    // The limit label of a series: its limit in fixed point followed by its unit, "8.00(A)".
    static QString LimitLabel(const ChartSeries& series);

    const std::vector<std::unique_ptr<ChartSeries>>& Series() const { return series_; }
    // The off-screen image, in device pixels (equal to the client pixels at ratio 1).
    const QImage& Bitmap() const { return bitmap_; }
    // Client rectangle (inside the sunken edge, origin 0, 0) and the plot rectangle in it,
    // GDI style: right and bottom are one past the last pixel.
    QRect ClientRect() const { return QRect(0, 0, clientWidth_, clientHeight_); }
    int PlotLeft() const { return plotLeft_; }
    int PlotTop() const { return plotTop_; }
    int PlotRight() const { return plotRight_; }
    int PlotBottom() const { return plotBottom_; }
    int PlotWidth() const { return plotRight_ - plotLeft_; }
    int PlotHeight() const { return plotBottom_ - plotTop_; }
    // How many times Redraw asked for a repaint.
    int RepaintRequests() const { return repaintRequests_; }

    static inline const QColor kBackground{255, 255, 255};
    static inline const QColor kLimitLine{224, 224, 224};
    static inline const QColor kLabelText{128, 128, 128};

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Client and plot geometry and an image of the client size; true when they changed.
    bool SetUpGeometry();
    void Render();
    void DrawSeries(QPainter& p, const ChartSeries& s);
    void DrawLimit(QPainter& p, const ChartSeries& s, float scale);
    int ValueY(int32_t value, int32_t minimum, float scale) const;

    QFont font_;
    QImage bitmap_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int plotLeft_ = 0, plotTop_ = 0, plotRight_ = 0, plotBottom_ = 0;
    int xStep_ = 1;
    int32_t scrollCopy_ = 1;  // keep each series' chronological copy up to date
    std::vector<std::unique_ptr<ChartSeries>> series_;
    std::vector<QRect> pixels_;
    int repaintRequests_ = 0;
};

}  // namespace zentor
