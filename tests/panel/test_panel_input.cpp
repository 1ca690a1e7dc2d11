// The operator's inputs: speed and position edits, slider conversions, and the SET values.

#include "PanelInput.h"
#include "logic_fixture.h"

#include <QTest>
#include <climits>
#include <clocale>

using namespace zentor;
using namespace zentor::panel;
using zentor::test::Regs;

class TestPanelInput : public QObject {
    Q_OBJECT
private slots:
    void stepsPerRevolution_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("poles");
        QTest::addColumn<int>("steps");
        QTest::newRow("ratio 10.00, 8 poles") << 2 << 1000 << 8 << 240;
        QTest::newRow("truncates 241.2") << 2 << 1005 << 8 << 241;
        QTest::newRow("speed layout registers") << 1 << 1000 << 4 << 120;
        QTest::newRow("no reducer") << 2 << 0 << 8 << 0;
        QTest::newRow("no poles") << 2 << 1000 << 0 << 0;
        // 65535 * 65535 * 3 does not fit 32 bits; the count must not wrap negative.
        QTest::newRow("largest settings") << 2 << 65535 << 65535 << 128845086;
    }
    void stepsPerRevolution()
    {
        QFETCH(int, type);
        QFETCH(int, ratio);
        QFETCH(int, poles);
        QFETCH(int, steps);
        Regs r(type);
        r.set(ReducerRatio, ratio).set(PoleCount, poles);
        QCOMPARE(StepsPerRevolution(r.m), steps);
    }

    void speedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("slider");
        QTest::newRow("two decimals") << "12.34" << false << 12;
        QTest::newRow("one decimal") << "12.3" << true << 12;
        QTest::newRow("trailing point") << "12." << true << 12;
        QTest::newRow("leading point") << ".5" << true << 0;
        QTest::newRow("above 100") << "100.1" << false << 100;
        QTest::newRow("two points") << "1.2.3" << false << 1;
        QTest::newRow("point point") << "1.." << true << 1;
        QTest::newRow("exactly 100") << "100.0" << true << 100;
        QTest::newRow("101") << "101" << false << 101;
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("lone point") << "." << true << 0;
        QTest::newRow("99.9 truncates") << "99.9" << true << 99;
        QTest::newRow("minus") << "-5" << false << 0;
        QTest::newRow("letter") << "5a" << false << 5;
        QTest::newRow("comma") << "5,5" << false << 5;
        QTest::newRow("huge digit run") << QString(400, QLatin1Char('9')) << false << INT_MAX;
    }
    void speedText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, slider);
        QCOMPARE(SpeedTextValid(text), valid);
        QCOMPARE(SpeedSliderFromText(text), slider);
    }

    // A decimal-comma locale must not change how "12.5" reads (Qt sets the C locale from the
    // environment at start-up).
    void speedTextIgnoresLocale()
    {
        const char* previous = std::setlocale(LC_NUMERIC, nullptr);
        const QByteArray saved(previous ? previous : "C");
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) QSKIP("no decimal-comma locale installed");
        const double v = SpeedTextDecimal(QStringLiteral("12.5"));
        std::setlocale(LC_NUMERIC, saved.constData());
        QCOMPARE(v, 12.5);
    }

    void speedSliderText() { QCOMPARE(SpeedTextFromSlider(37), QStringLiteral("37.0")); }

    void speedSetValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxRpm");
        QTest::addColumn<int>("value");  // -1: nothing is sent
        QTest::newRow("100% of 3000") << "100" << 3000 << 3000;
        QTest::newRow("50.0% of 3000") << "50.0" << 3000 << 1500;
        QTest::newRow("empty sends nothing") << "" << 3000 << -1;
        QTest::newRow("zero") << "0" << 3000 << 0;
        // Single-precision product: 33.3f * 3000 rounds to 99900, a double product would give 998.
        QTest::newRow("33.3% single precision") << "33.3" << 3000 << 999;
        QTest::newRow("truncates 12.5% of 1001") << "12.5" << 1001 << 125;
        QTest::newRow("no MaxRpm") << "50" << 0 << 0;
        QTest::newRow("leading number of 1..") << "1.." << 3000 << 30;
        // The edit can show a commanded speed above 100%; 150% of 50000 does not fit 16 bits
        // and must saturate rather than wrap to 9464.
        QTest::newRow("beyond 16 bits saturates") << "150.0" << 50000 << 65535;
    }
    void speedSetValue()
    {
        QFETCH(QString, text);
        QFETCH(int, maxRpm);
        QFETCH(int, value);
        const auto v = SpeedSetValue(text, static_cast<uint16_t>(maxRpm));
        if (value < 0) {
            QVERIFY(!v.has_value());
        } else {
            QVERIFY(v.has_value());
            QCOMPARE(int(*v), value);
        }
    }

    void positionText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("-150") << "-150" << true << -150;
        QTest::newRow("trailing minus") << "5-" << false << 5;
        QTest::newRow("double minus") << "--5" << false << 0;
        QTest::newRow("lone minus") << "-" << true << 0;
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("plus sign") << "+5" << false << 5;
        QTest::newRow("letter") << "12a" << false << 12;
        QTest::newRow("largest") << "2147483647" << true << INT32_MAX;
        QTest::newRow("saturates high") << "99999999999" << true << INT32_MAX;
        QTest::newRow("smallest accepted") << "-2147483647" << true << -INT32_MAX;
        QTest::newRow("-2147483648 rejected") << "-2147483648" << false << INT32_MIN;
        QTest::newRow("saturates low, rejected") << "-2147483649" << false << INT32_MIN;
        QTest::newRow("far below, rejected") << "-9999999999" << false << INT32_MIN;
    }
    void positionText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        QCOMPARE(PositionTextValid(text), valid);
        QCOMPARE(PositionTextValue(text), value);
    }

    void positionEdit_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("slider");
        QTest::newRow("-150 of 120") << 120 << -150 << 0 << " Position-Step ( 120/R ) < -30/-1R > [ 0 ]" << 30;
        QTest::newRow("250 of 120") << 120 << 250 << -7 << " Position-Step ( 120/R ) < 10/2R > [ -7 ]" << 10;
        QTest::newRow("less than a turn") << 240 << -5 << 3 << " Position-Step ( 240/R ) < -5/-0R > [ 3 ]" << 5;
        QTest::newRow("no steps known") << 0 << -150 << 5 << " Position-Step ( 0/R ) < -150/-0R > [ 5 ]" << 150;
        QTest::newRow("largest") << 120 << INT32_MAX << 0 << " Position-Step ( 120/R ) < 7/17895697R > [ 0 ]" << 7;
    }
    void positionEdit()
    {
        QFETCH(int, steps);
        QFETCH(int, n);
        QFETCH(int, target);
        QFETCH(QString, caption);
        QFETCH(int, slider);
        QCOMPARE(PositionEditCaption(steps, n, target), caption);
        const PositionSplit split = SplitPosition(n, steps);
        QCOMPARE(split.remainder, slider);
        QCOMPARE(split.sign, n < 0 ? QStringLiteral("-") : QString());
    }

    // -2147483648 can come from the driver's target register; its magnitude must not overflow.
    void splitSmallestValue()
    {
        const PositionSplit split = SplitPosition(INT32_MIN, 120);
        QCOMPARE(split.remainder, 8);
        QCOMPARE(split.revolutions, 17895697);
        QCOMPARE(PositionEditCaption(0, INT32_MIN, 0), QStringLiteral(" Position-Step ( 0/R ) < -2147483648/-0R > [ 0 ]"));
    }

    void sliderRelease_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("caption");
        QTest::newRow("-340 slid to 50") << 120 << -340 << 50 << 0 << -290 << " Position-Step ( 120/R ) < -50/-2R > [ 0 ]";
        QTest::newRow("-340 slid to 100") << 120 << -340 << 100 << 9 << -340 << " Position-Step ( 120/R ) < -100/-2R > [ 9 ]";
        QTest::newRow("empty edit") << 120 << 0 << 30 << 0 << 30 << " Position-Step ( 120/R ) < 30/0R > [ 0 ]";
        QTest::newRow("250 slid to 0") << 120 << 250 << 0 << 0 << 240 << " Position-Step ( 120/R ) < 0/2R > [ 0 ]";
        QTest::newRow("sign of the typed target kept") << 120 << -5 << 0 << 0 << 0 << " Position-Step ( 120/R ) < -0/-0R > [ 0 ]";
        QTest::newRow("no steps: target kept") << 0 << -150 << 50 << 1 << -150 << " Position-Step ( 0/R ) < -150/-0R > [ 1 ]";
        // The last turn of the range: the slider would push past 2147483647 and wrap negative.
        QTest::newRow("saturates high") << 120 << INT32_MAX << 119 << 0 << INT32_MAX << " Position-Step ( 120/R ) < 7/17895697R > [ 0 ]";
        QTest::newRow("saturates low") << 120 << -INT32_MAX << 119 << 0 << -INT32_MAX << " Position-Step ( 120/R ) < -7/-17895697R > [ 0 ]";
    }
    void sliderRelease()
    {
        QFETCH(int, steps);
        QFETCH(int, n);
        QFETCH(int, slider);
        QFETCH(int, target);
        QFETCH(int, value);
        QFETCH(QString, caption);
        const SliderRelease r = PositionSliderRelease(n, steps, slider, target);
        QCOMPARE(r.value, value);
        QCOMPARE(r.editText, QString::number(value));
        QCOMPARE(r.caption, caption);
    }

    void positionSetBlock_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("-2") << -2 << QByteArray::fromHex("FFFFFFFE");
        QTest::newRow("240") << 240 << QByteArray::fromHex("000000F0");
        QTest::newRow("high word first") << 0x01020304 << QByteArray::fromHex("01020304");
        QTest::newRow("smallest") << INT32_MIN << QByteArray::fromHex("80000000");
    }
    void positionSetBlock()
    {
        QFETCH(int, n);
        QFETCH(QByteArray, bytes);
        const auto block = PositionSetBlock(n);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(block.data()), 4), bytes);
        // What the driver stores reads back as the same target.
        QCOMPARE(CombineSigned32(uint16_t(block[0] << 8 | block[1]), uint16_t(block[2] << 8 | block[3])), n);
    }
};

QTEST_GUILESS_MAIN(TestPanelInput)
#include "test_panel_input.moc"
