// The rotor angle dial, checked in its off-screen image: where the markers sit, which
// texts it writes and where, and what it leaves out when the actual position is not shown.

#include "DrawStatic.h"

#include <QTest>

#include <climits>
#include <functional>

using namespace zentor;

Q_DECLARE_METATYPE(QPoint)

namespace {

// Counts the pixels of a rectangle (clipped to the image) that pass a test.
int Count(const QImage& image, const QRect& r, const std::function<bool(QColor)>& test)
{
    int n = 0;
    const QRect clipped = r.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (test(image.pixelColor(x, y))) ++n;
    return n;
}

bool Is(QColor c, const QColor& wanted)
{
    return c == wanted;
}

// Text ink: the cores of the antialiased glyphs, near the text colour. Grey text (128) is
// told from the ring's lines (192) by its darkness.
bool GreyInk(QColor c)
{
    return c.red() < 180 && c.red() > 60 && std::abs(c.red() - c.blue()) < 12;
}
bool BlueInk(QColor c)
{
    return c.blue() > 200 && c.red() < 150;
}
bool BlackInk(QColor c)
{
    return c.red() < 60 && c.green() < 60 && c.blue() < 60;
}

// A 250 x 250 dial as the main window sets it up: centre 125, 125, radius 125.
struct Dial {
    CDrawStatic dial;
    explicit Dial(QSize size = QSize(250, 250), bool actualShown = true)
    {
        dial.resize(size);
        dial.SetDegreesMode(false);
        dial.SetActualShown(actualShown);
    }
    const QImage& image() const { return dial.Bitmap(); }
    QColor at(QPoint p) const { return image().pixelColor(p); }
};

}  // namespace

class TestDial : public QObject {
    Q_OBJECT
private slots:
    void markersAndTexts_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("actual");
        QTest::addColumn<float>("targetAngle");
        QTest::addColumn<float>("actualAngle");
        QTest::addColumn<QPoint>("targetMarker");
        QTest::addColumn<QPoint>("actualMarker");
        QTest::addColumn<QString>("stepsText");
        QTest::addColumn<QString>("targetText");
        QTest::addColumn<QString>("actualText");
        // Target markers lie at radius 115, actual markers at radius 95.
        QTest::newRow("3 and 9 o'clock") << 1200 << 300 << 900 << 90.0f << 270.0f << QPoint(240, 125) << QPoint(30, 125)
                                         << "1200/R" << "300/0R" << "900/0R";
        QTest::newRow("negative target") << 1200 << -300 << 2500 << -90.0f << 30.0f << QPoint(10, 125)
                                         << QPoint(172, 43) << "1200/R" << "-300/0R" << "100/2R";
        QTest::newRow("zero steps") << 0 << 0 << 0 << 0.0f << 0.0f << QPoint(125, 10) << QPoint(125, 30) << "0/R"
                                    << "0/0R" << "0/0R";
        QTest::newRow("zero steps, positions kept") << 0 << 7 << -9 << 0.0f << 0.0f << QPoint(125, 10)
                                                    << QPoint(125, 30) << "0/R" << "0/7R" << "0/-9R";
        QTest::newRow("smallest position, steps -1") << -1 << INT_MIN << 5 << 0.0f << 0.0f << QPoint(125, 10)
                                                     << QPoint(125, 30) << "-1/R" << "0/2147483648R" << "0/-5R";
    }
    void markersAndTexts()
    {
        QFETCH(int, steps);
        QFETCH(int, target);
        QFETCH(int, actual);
        QFETCH(float, targetAngle);
        QFETCH(float, actualAngle);
        QFETCH(QPoint, targetMarker);
        QFETCH(QPoint, actualMarker);
        Dial d;
        const int requests = d.dial.RepaintRequests();
        d.dial.SetValues(steps, target, actual);
        QCOMPARE(d.dial.RepaintRequests(), requests + 1);
        QCOMPARE(d.dial.TargetAngle(), targetAngle);
        QCOMPARE(d.dial.ActualAngle(), actualAngle);
        QTEST(d.dial.StepsText(), "stepsText");
        QTEST(d.dial.TargetText(), "targetText");
        QTEST(d.dial.ActualText(), "actualText");

        QCOMPARE(d.at(targetMarker), CDrawStatic::kTarget);
        QCOMPARE(d.at(actualMarker), CDrawStatic::kActual);
        // Each marker is drawn once, around its centre and nowhere else.
        const QRect around(actualMarker - QPoint(6, 6), QSize(13, 13));
        const int orange = Count(d.image(), d.image().rect(), [](QColor c) { return Is(c, CDrawStatic::kActual); });
        QVERIFY(orange >= 20);
        QCOMPARE(Count(d.image(), around, [](QColor c) { return Is(c, CDrawStatic::kActual); }), orange);
        const QPoint opposite = QPoint(250, 250) - targetMarker;
        QVERIFY(d.at(opposite) != CDrawStatic::kTarget);
        QVERIFY(d.at(QPoint(250, 250) - actualMarker) != CDrawStatic::kActual);

        // The steps text in grey at the upper left, the target in blue at the lower right,
        // the actual position in black in the centre.
        QVERIFY(Count(d.image(), d.dial.StepsTextBox(), GreyInk) > 15);
        QVERIFY(Count(d.image(), d.dial.TargetTextBox(), BlueInk) > 15);
        QVERIFY(Count(d.image(), d.dial.CentreTextBox(), BlackInk) > 15);
    }

    void degreesModeWritesDegrees()
    {
        CDrawStatic dial;
        QVERIFY(dial.DegreesMode());
        QCOMPARE(dial.TargetAngle(), 225.0f);
        QCOMPARE(dial.ActualAngle(), 135.0f);
        dial.SetValues(360, 90, -180);
        QCOMPARE(dial.StepsText(), QStringLiteral("360"));
        QCOMPARE(dial.TargetText(), QStringLiteral("90\u00B0"));
        QCOMPARE(dial.ActualText(), QStringLiteral("-180\u00B0"));
        QCOMPARE(dial.TargetAngle(), 90.0f);
        QCOMPARE(dial.ActualAngle(), -180.0f);
    }

    void withoutActualOnlyTheTargetAndNotAvailable()
    {
        Dial d(QSize(250, 250), false);
        d.dial.SetValues(1200, 300, 900);
        QCOMPARE(d.dial.ActualText(), QStringLiteral("- N/A -"));
        QCOMPARE(d.at(QPoint(240, 125)), CDrawStatic::kTarget);
        QCOMPARE(Count(d.image(), d.image().rect(), [](QColor c) { return Is(c, CDrawStatic::kActual); }), 0);
        // No corner texts: the boxes hold only the background and the ring's grey lines.
        QCOMPARE(Count(d.image(), d.dial.StepsTextBox(), GreyInk), 0);
        QCOMPARE(Count(d.image(), d.dial.TargetTextBox(), BlueInk), 0);
        // "- N/A -" in grey, not black.
        QVERIFY(Count(d.image(), d.dial.CentreTextBox(), GreyInk) > 15);
        QCOMPARE(Count(d.image(), d.dial.CentreTextBox(), BlackInk), 0);
    }

    void ringsTicksAndLeaders()
    {
        Dial d;
        d.dial.SetValues(1200, 300, 900);
        // Face ring of radius 118 (pixels 7..242 across), white track inside radius 110, hub
        // inside radius 102.
        QCOMPARE(d.at(QPoint(125, 12)), CDrawStatic::kFace);
        QCOMPARE(d.at(QPoint(140, 20)), QColor(Qt::white));
        QCOMPARE(d.at(QPoint(125, 60)), CDrawStatic::kHub);
        QCOMPARE(d.at(QPoint(3, 125)), CDrawStatic::kBackground);
        // The zero mark at the top: 2 pixels wide, rows 0 to 3.
        QCOMPARE(d.at(QPoint(124, 3)), CDrawStatic::kRing);
        QCOMPARE(d.at(QPoint(125, 4)).red(), 240);
        // The 6 o'clock tick runs up from radius 107, its end left out.
        QCOMPARE(d.at(QPoint(124, 232)), CDrawStatic::kRing);
        QCOMPARE(d.at(QPoint(124, 229)), CDrawStatic::kRing);
        QVERIFY(d.at(QPoint(124, 228)) != CDrawStatic::kRing);
        // The leader under the target text, at row 248 from x 145 to 242.
        QCOMPARE(d.at(QPoint(145, 248)), CDrawStatic::kRing);
        QCOMPARE(d.at(QPoint(242, 248)), CDrawStatic::kRing);
        QCOMPARE(d.at(QPoint(243, 248)), CDrawStatic::kBackground);
    }

    void widerThanHighTakesItsRadiusFromTheHeight()
    {
        Dial d(QSize(400, 250));
        d.dial.SetValues(1200, 300, 900);
        QCOMPARE(d.dial.Radius(), 125);
        QCOMPARE(d.dial.Centre(), QPoint(200, 125));
        QCOMPARE(d.at(QPoint(315, 125)), CDrawStatic::kTarget);
        QCOMPARE(d.at(QPoint(105, 125)), CDrawStatic::kActual);
        // Centred: the bands left and right of the dial are plain background.
        const auto background = [](QColor c) { return Is(c, CDrawStatic::kBackground); };
        QCOMPARE(Count(d.image(), QRect(0, 0, 75, 250), background), 75 * 250);
        QCOMPARE(Count(d.image(), QRect(326, 0, 74, 250), background), 74 * 250);
        QCOMPARE(d.dial.StepsTextBox().left(), 82);
    }
};

QTEST_MAIN(TestDial)
#include "test_dial.moc"
