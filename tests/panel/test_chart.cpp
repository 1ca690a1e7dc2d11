// The current graph, checked in its off-screen image at the pixels the trace and the limit
// line must take.

#include "ChartDraw.h"

#include <QTest>

#include <climits>
#include <memory>

using namespace zentor;

namespace {

const QColor kTrace(249, 168, 37);

// A graph whose client area is 200 x 100 (inside the 2-pixel sunken edge): the plot runs
// from x 2 to 198 and y 2 to 98, and an axis of 0..96 maps one unit to one pixel, so a
// value v lies on row 98 - v.
struct Graph {
    std::unique_ptr<CChartDraw> chart = std::make_unique<CChartDraw>();
    ChartSeries* series = nullptr;

    explicit Graph(int clientWidth = 200, bool limit = false)
    {
        chart->resize(clientWidth + 4, 104);
        series = chart->AddSeries(QStringLiteral("Limit"), QStringLiteral("(A)"), 0, 96, 48, 2, kTrace);
        series->showLimit = limit ? 1 : 0;
    }
    QColor at(int x, int y) const { return chart->Bitmap().pixelColor(x, y); }
    bool trace(int x, int y) const { return at(x, y) == kTrace; }
    bool columnHasTrace(int x) const
    {
        for (int y = 0; y < chart->Bitmap().height(); ++y)
            if (trace(x, y)) return true;
        return false;
    }
    // Pixels of label text (grey, darker than the limit line) in a rectangle.
    int inkIn(const QRect& r) const
    {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (chart->Bitmap().rect().contains(x, y) && qGray(chart->Bitmap().pixel(x, y)) < 200) ++n;
        return n;
    }
};

}  // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void geometryFollowsTheClientArea()
    {
        Graph g;
        g.chart->Redraw();
        QCOMPARE(g.chart->Bitmap().size(), QSize(200, 100));
        QCOMPARE(g.chart->PlotLeft(), 2);
        QCOMPARE(g.chart->PlotRight(), 198);
        QCOMPARE(g.chart->PlotHeight(), 96);
        g.chart->resize(304, 54);
        g.chart->Redraw();
        QCOMPARE(g.chart->Bitmap().size(), QSize(300, 50));
        QCOMPARE(g.chart->PlotWidth(), 296);
    }

    void withoutSeriesRedrawOnlyFills()
    {
        CChartDraw chart;
        chart.resize(204, 104);
        const int before = chart.RepaintRequests();
        chart.Redraw();
        QCOMPARE(chart.RepaintRequests(), before);
        QImage expected(200, 100, QImage::Format_RGB32);
        expected.fill(CChartDraw::kBackground);
        QCOMPARE(chart.Bitmap(), expected);

        chart.AddSeries(QStringLiteral("Limit"), QStringLiteral("(A)"), 0, 96, 48, 2, kTrace);
        chart.Redraw();
        QCOMPARE(chart.RepaintRequests(), before + 1);
    }

    void threeSamplesWalkFromTheRightEdge()
    {
        Graph g;
        for (int v : {10, 20, 30}) g.chart->AddSample(g.series, v);
        // Point 0 at the right edge with its dot, point 1 the same value, then 20 and 10.
        QVERIFY(g.trace(198, 68));
        QVERIFY(g.trace(197, 68));
        QVERIFY(g.trace(196, 78));
        QVERIFY(g.trace(195, 88));
        // The dot marks point 0 only: it covers two pixels around it, the points further
        // left carry none.
        QVERIFY(g.trace(198, 67) && g.trace(197, 69));
        QVERIFY(!g.trace(195, 89) && !g.trace(194, 88));
        // Point 1 shows 30, not 20; point 2 shows 20, not 10.
        QVERIFY(!g.trace(197, 78));
        QVERIFY(!g.trace(196, 88));
        // The walk ends at point 3.
        QVERIFY(!g.columnHasTrace(194));
        QVERIFY(!g.columnHasTrace(100));
    }

    void sampleAboveTheAxisGrowsIt()
    {
        Graph g;
        g.series->maximum = 1000;
        g.chart->AddSample(g.series, 1500);
        QCOMPARE(g.series->maximum, 1500);
        g.chart->AddSample(g.series, -200);
        QCOMPARE(g.series->minimum, -200);
        g.series->minimum = 0;
        g.chart->AddSample(g.series, 750);
        // Scaled to 0..1500: 750 lies half way up (row 98 - 48), not at 750 of 1000.
        QVERIFY(g.trace(198, 50));
        QVERIFY(!g.trace(198, 26));
        // The earlier -200 lies at 200 of 1500 above the bottom, the 1500 before it on top.
        QVERIFY(g.trace(196, 86));
        QVERIFY(g.trace(195, 2));
    }

    void afterWrappingTheTraceSpansThePlotAndScrolls()
    {
        Graph g;
        // A saw tooth, so each point's value tells which sample it shows.
        for (int i = 0; i < 1100; ++i) g.chart->AddSample(g.series, i % 90);
        QCOMPARE(g.series->wrapped, 1);
        QCOMPARE(g.series->count, 1100 - 1024);
        for (int x = 2; x <= 198; ++x) QVERIFY2(g.columnHasTrace(x), qPrintable(QString::number(x)));
        QVERIFY(!g.columnHasTrace(1));
        // Point j >= 1 (at x 198 - j) shows sample 1099 - (j - 1).
        for (int j : {1, 2, 10, 77, 150, 196}) {
            const int value = (1099 - (j - 1)) % 90;
            QVERIFY2(g.trace(198 - j, 98 - value), qPrintable(QStringLiteral("point %1").arg(j)));
        }
    }

    void aControlWiderThanTheRingDrawsTheRingOnly()
    {
        // 1024 samples fit a plot of 1196 pixels only in part: the walk must stop at the
        // oldest sample instead of reading before the ring.
        Graph g(1200);
        for (int i = 0; i < 1030; ++i) g.chart->AddSample(g.series, 40);
        const int right = g.chart->PlotRight();
        QVERIFY(g.trace(right - 1024, 58));
        QVERIFY(!g.columnHasTrace(right - 1025));
        QVERIFY(!g.columnHasTrace(2));
    }

    void restartClearsTheTrace()
    {
        Graph g;
        for (int v : {10, 20, 30}) g.chart->AddSample(g.series, v);
        g.chart->Restart(g.series);
        QCOMPARE(g.series->count, 0);
        for (int x = 0; x < 200; ++x) QVERIFY(!g.columnHasTrace(x));
        g.chart->AddSample(g.series, 5);
        QVERIFY(g.trace(198, 93));
        QVERIFY(!g.columnHasTrace(195));
    }

    void sampleOfAForeignSeriesIsIgnored()
    {
        Graph g;
        Graph other;
        const int requests = g.chart->RepaintRequests();
        g.chart->AddSample(other.series, 30);
        g.chart->AddSample(nullptr, 30);
        QCOMPARE(other.series->count, 0);
        QCOMPARE(g.chart->RepaintRequests(), requests);
    }

    void equalMaximumAndMinimumDrawsOnTheBottom()
    {
        Graph g(200, true);
        for (int v : {30, 30, 30}) g.chart->AddSample(g.series, v);
        g.series->minimum = 30;
        g.series->maximum = 30;
        g.series->limit = 30;
        g.chart->Redraw();
        QVERIFY(g.trace(198, 98));
        QVERIFY(g.trace(195, 98));
        for (int x = 2; x < 198; ++x) QVERIFY(!g.trace(x, 68));
    }

    void limitLabelSide_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("above");
        QTest::newRow("lower half") << 20 << true;
        QTest::newRow("just below the middle") << 47 << true;
        QTest::newRow("middle") << 48 << false;
        QTest::newRow("upper half") << 80 << false;
    }
    void limitLabelSide()
    {
        QFETCH(int, limit);
        QFETCH(bool, above);
        Graph g(200, true);
        g.series->limit = limit;
        g.chart->Redraw();
        const int y = 98 - limit;
        QCOMPARE(g.at(100, y), CChartDraw::kLimitLine);
        QCOMPARE(g.at(197, y), CChartDraw::kLimitLine);
        QCOMPARE(g.at(198, y), CChartDraw::kBackground);  // the line leaves out its end
        const QRect upper(4, y - 10, 40, 10);
        const QRect lower(4, y + 1, 40, 10);
        const QRect& label = above ? upper : lower;
        const QRect& other = above ? QRect(4, y + 3, 40, 10) : QRect(4, y - 12, 40, 10);
        QVERIFY2(g.inkIn(label) > 20, qPrintable(QString::number(g.inkIn(label))));
        QCOMPARE(g.inkIn(other), 0);
        // Nothing is written further right than a label's width.
        QCOMPARE(g.inkIn(QRect(80, 0, 120, 100)), 0);
    }

    void limitLabelText_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("label");
        QTest::newRow("8.00(A)") << 800 << 2 << "8.00(A)";
        QTest::newRow("18.50(A)") << 1850 << 2 << "18.50(A)";
        QTest::newRow("no decimals") << 1850 << 0 << "1850(A)";
        QTest::newRow("one decimal") << 1850 << 1 << "185.0(A)";
    }
    void limitLabelText()
    {
        QFETCH(int, limit);
        QFETCH(int, decimals);
        QFETCH(QString, label);
        CChartDraw chart;
        ChartSeries* s = chart.AddSeries(QStringLiteral("Limit"), QStringLiteral("(A)"), 0, 1100, limit, decimals, kTrace);
        QCOMPARE(CChartDraw::LimitLabel(*s), label);
    }

    void formatFixed_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QString>("text");
        QTest::newRow("800/100") << 800 << 100 << "8.00";
        QTest::newRow("1805/100") << 1805 << 100 << "18.05";
        QTest::newRow("-5/100") << -5 << 100 << "-0.05";
        QTest::newRow("1850/100") << 1850 << 100 << "18.50";
        QTest::newRow("-1805/100") << -1805 << 100 << "-18.05";
        QTest::newRow("7/1000") << 7 << 1000 << "0.007";
        QTest::newRow("divisor 0") << 1850 << 0 << "1850";
        QTest::newRow("divisor 0 negative") << -42 << 0 << "-42";
        QTest::newRow("smallest value") << INT_MIN << 100 << "-21474836.48";
    }
    void formatFixed()
    {
        QFETCH(int, value);
        QFETCH(int, divisor);
        QFETCH(QString, text);
        QCOMPARE(FormatFixed(value, divisor), text);
    }
};

QTEST_MAIN(TestChart)
#include "test_chart.moc"
