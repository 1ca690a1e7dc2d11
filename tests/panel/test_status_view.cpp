// What the status display shows after an answer: settings labels, target fields, live
// indicators and captions, the RPM digits and the fault blink.

#include "ControlIds.h"
#include "StatusView.h"
#include "logic_fixture.h"

#include <QTest>

using namespace zentor;
using namespace zentor::panel;
using zentor::test::Regs;
using zentor::test::RoleValues;
namespace art = zentor::ids::art;

using Digits = std::array<int, 5>;
Q_DECLARE_METATYPE(Digits)

namespace {

constexpr int B = art::Blank;
constexpr int D = art::Dash;
constexpr int d(int figure) { return art::digit(figure); }
const Digits kFault{art::FaultF, art::FaultA, art::FaultU, art::FaultL, art::FaultT};
const Digits kDashes{D, D, D, D, D};

StatusView Refresh(Regs& r, int type, bool started = true, DisplayState* state = nullptr)
{
    DisplayState local;
    return RefreshStatusView(r.m, type, started, false, state ? *state : local);
}

QList<int> Ids(const StatusView& v)
{
    QList<int> ids;
    for (const auto& [id, t] : v.texts) ids << id;
    return ids;
}

}  // namespace

class TestStatusView : public QObject {
    Q_OBJECT
private slots:
    void rotateIndicator_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<RoleValues>("regs");
        QTest::addColumn<QString>("text");
        const RoleValues max3000{{MaxRpm, 3000}, {SpeedReference, 1500}};
        QTest::newRow("below reference") << 1 << (max3000 + RoleValues{{MotorRpm, 1275}}) << "<< 42.5%";
        QTest::newRow("at reference") << 1 << (max3000 + RoleValues{{MotorRpm, 1500}}) << "__ 50.0%";
        QTest::newRow("stopped") << 1 << (max3000 + RoleValues{{MotorRpm, 0}}) << "_ Stop _";
        QTest::newRow("above reference") << 1 << (max3000 + RoleValues{{MotorRpm, 1800}}) << ">> 60.0%";
        QTest::newRow("no MaxRpm") << 1 << RoleValues{{MotorRpm, 1500}, {SpeedReference, 1500}} << "_ ____ _";
        QTest::newRow("speed ignores brake") << 1 << (max3000 + RoleValues{{MotorRpm, 1500}, {BrakeState, 1}}) << "__ 50.0%";
        // Position control shows SpeedFeedback, not the motor RPM.
        QTest::newRow("position uses feedback") << 2 << (max3000 + RoleValues{{SpeedFeedback, 1275}, {MotorRpm, 999}})
                                                << "<< 42.5%";
        QTest::newRow("position braked") << 2 << (max3000 + RoleValues{{SpeedFeedback, 1800}, {BrakeState, 1}}) << "_ Stop _";
        QTest::newRow("brake bit 0 alone is not 1") << 2 << (max3000 + RoleValues{{SpeedFeedback, 1800}, {BrakeState, 3}})
                                                    << ">> 60.0%";
    }
    void rotateIndicator()
    {
        QFETCH(int, type);
        QFETCH(RoleValues, regs);
        QFETCH(QString, text);
        Regs r(type);
        r.set(regs);
        QCOMPARE(Refresh(r, type).textOf(ids::RotateIndicator), text);
    }

    void brakeCaptions_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("brake");
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("off");
        QTest::newRow("speed on") << 1 << 1 << "< ON >" << "OFF";
        QTest::newRow("speed off") << 1 << 0 << "ON" << "< OFF >";
        QTest::newRow("position on") << 2 << 1 << "< ON >" << "OFF";
        QTest::newRow("position off") << 2 << 0 << "ON" << "< OFF >";
    }
    void brakeCaptions()
    {
        QFETCH(int, type);
        QFETCH(int, brake);
        QFETCH(QString, on);
        QFETCH(QString, off);
        Regs r(type);
        r.set(BrakeState, brake);
        const StatusView v = Refresh(r, type);
        QCOMPARE(v.textOf(ids::BrakeOn), on);
        QCOMPARE(v.textOf(ids::BrakeOff), off);
        QCOMPARE(v.textOf(ids::BrakeIndicator), QStringLiteral("BRAKE"));
    }

    void speedLive_data()
    {
        QTest::addColumn<int>("feedback");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("run");
        QTest::addColumn<QString>("indicator");
        QTest::addColumn<QString>("cw");
        QTest::addColumn<QString>("ccw");
        QTest::addColumn<QString>("runText");
        QTest::addColumn<QString>("stopText");
        QTest::newRow("cw stopped") << 0 << 0 << 0 << "CW" << "< CW >" << "CCW" << "RUN" << "< STOP >";
        QTest::newRow("ccw running") << 1 << 1 << 1 << "CCW" << "CW" << "< CCW >" << "< RUN >" << "STOP";
        QTest::newRow("turning ccw while cw is selected") << 5 << 0 << 1 << "CCW" << "< CW >" << "CCW" << "< RUN >" << "STOP";
        QTest::newRow("run state 3 is not running") << 0 << 2 << 3 << "CW" << "CW" << "< CCW >" << "RUN" << "< STOP >";
    }
    void speedLive()
    {
        QFETCH(int, feedback);
        QFETCH(int, state);
        QFETCH(int, run);
        QFETCH(QString, indicator);
        QFETCH(QString, cw);
        QFETCH(QString, ccw);
        QFETCH(QString, runText);
        QFETCH(QString, stopText);
        Regs r(SpeedControl);
        r.set({{DirectionFeedback, feedback}, {DirectionState, state}, {RunState, run}});
        const StatusView v = Refresh(r, SpeedControl);
        QCOMPARE(v.textOf(ids::DirectionIndicator), indicator);
        QCOMPARE(v.textOf(ids::DirectionCw), cw);
        QCOMPARE(v.textOf(ids::DirectionCcw), ccw);
        QCOMPARE(v.textOf(ids::Run), runText);
        QCOMPARE(v.textOf(ids::Stop), stopText);
        QCOMPARE(v.textOf(ids::StepIndicator), QStringLiteral("_Step N_"));
        QCOMPARE(v.textOf(ids::ResetHigh), QStringLiteral("HIGH"));
        QCOMPARE(v.textOf(ids::ResetLow), QStringLiteral("LOW"));
        QVERIFY(!v.dialValues.has_value());
    }

    void positionLive_data()
    {
        QTest::addColumn<int>("poles");  // with ratio 10.00: poles * 30 steps per revolution
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QString>("steps");
        QTest::newRow("ahead of target") << 4 << 250 << 100 << "REV" << "10 /2R";
        QTest::newRow("behind, negative") << 4 << -250 << 0 << "FWD" << "-10 /-2R";
        QTest::newRow("on target") << 4 << 77 << 77 << "FWD" << "77 /0R";
        QTest::newRow("no steps known") << 0 << -250 << 0 << "FWD" << "-250 /0R";
        QTest::newRow("smallest position") << 4 << INT32_MIN << 0 << "FWD" << "-8 /-17895697R";
    }
    void positionLive()
    {
        QFETCH(int, poles);
        QFETCH(int, current);
        QFETCH(int, target);
        QFETCH(QString, direction);
        QFETCH(QString, steps);
        Regs r(PositionControl);
        r.set({{ReducerRatio, 1000}, {PoleCount, poles}});
        r.set32(PositionHigh, PositionLow, current).set32(TargetPositionHigh, TargetPositionLow, target);
        const StatusView v = Refresh(r, PositionControl);
        QCOMPARE(v.textOf(ids::DirectionIndicator), direction);
        QCOMPARE(v.textOf(ids::StepIndicator), steps);
        QVERIFY(v.dialValues.has_value());
        QCOMPARE(*v.dialValues, (std::array<int32_t, 3>{poles * 30, target, current}));
        QCOMPARE(v.textOf(ids::DirectionCw), QStringLiteral("LEFT"));
        QCOMPARE(v.textOf(ids::DirectionCcw), QStringLiteral("RIGHT"));
    }

    void positionReset_data()
    {
        QTest::addColumn<int>("run");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::newRow("reset high") << 1 << "< HIGH >" << "LOW";
        QTest::newRow("reset low") << 0 << "HIGH" << "< LOW >";
    }
    void positionReset()
    {
        QFETCH(int, run);
        QFETCH(QString, high);
        QFETCH(QString, low);
        Regs r(PositionControl);
        r.set(RunState, run);
        const StatusView v = Refresh(r, PositionControl);
        QCOMPARE(v.textOf(ids::ResetHigh), high);
        QCOMPARE(v.textOf(ids::ResetLow), low);
        QVERIFY(!v.hasText(ids::Run));
        QVERIFY(!v.hasText(ids::Stop));
    }

    void settingsLabels_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<RoleValues>("regs");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("poles") << 1 << RoleValues{{PoleCount, 8}} << int(ids::PoleLabel) << "Pole: 8P";
        QTest::newRow("limit 18.5 A") << 1 << RoleValues{{CurrentLimit, 1850}} << int(ids::LimitLabel) << "Lim: 18.5A";
        QTest::newRow("limit truncates") << 2 << RoleValues{{CurrentLimit, 1859}} << int(ids::LimitLabel) << "Lim: 18.5A";
        QTest::newRow("reducer 10.05") << 1 << RoleValues{{ReducerRatio, 1005}} << int(ids::ReducerLabel) << "Reducer: 1/10.05";
        QTest::newRow("reducer 10.50") << 2 << RoleValues{{ReducerRatio, 1050}} << int(ids::ReducerLabel) << "Reducer: 1/10.50";
        QTest::newRow("reducer 0.05") << 1 << RoleValues{{ReducerRatio, 5}} << int(ids::ReducerLabel) << "Reducer: 1/0.05";
        QTest::newRow("no reducer") << 1 << RoleValues{{ReducerRatio, 0}} << int(ids::ReducerLabel) << "Reducer: (N/A)";
        QTest::newRow("acc 1.5 s") << 1 << RoleValues{{AccelTime, 1500}} << int(ids::AccLabel) << "Acc: 1.5s";
        QTest::newRow("acc truncates") << 1 << RoleValues{{AccelTime, 2999}} << int(ids::AccLabel) << "Acc: 2.9s";
        QTest::newRow("acc 0") << 1 << RoleValues{{AccelTime, 0}} << int(ids::AccLabel) << "Acc:(N/A)";
        QTest::newRow("acc in position control") << 2 << RoleValues{{AccelTime, 1500}} << int(ids::AccLabel) << "Acc:(N/A)";
        QTest::newRow("dec 0.2 s") << 1 << RoleValues{{DecelTime, 250}} << int(ids::DecLabel) << "Dec: 0.2s";
        QTest::newRow("dec 0") << 1 << RoleValues{{DecelTime, 0}} << int(ids::DecLabel) << "Dec:(N/A)";
        QTest::newRow("dec in position control") << 2 << RoleValues{{DecelTime, 250}} << int(ids::DecLabel) << "Dec:(N/A)";
        QTest::newRow("max rpm") << 1 << RoleValues{{MaxRpm, 3000}} << int(ids::MaxRpmLabel) << "Max. RPM : 3000";
        QTest::newRow("target speed edit") << 1 << RoleValues{{MaxRpm, 3000}, {SpeedCommand, 1275}} << int(ids::SpeedEdit)
                                           << "42.5";
        QTest::newRow("target speed caption") << 2 << RoleValues{{MaxRpm, 3000}, {SpeedCommand, 1275}}
                                              << int(ids::SpeedCaption) << " Speed  ( 0.0~100.0% ) [ 42.5% ]";
        QTest::newRow("target speed without MaxRpm") << 1 << RoleValues{{SpeedCommand, 1275}} << int(ids::SpeedCaption)
                                                     << " Speed  ( 0.0~100.0% ) [ 0% ]";
        QTest::newRow("target speed above 100%") << 1 << RoleValues{{MaxRpm, 1000}, {SpeedCommand, 1500}}
                                                 << int(ids::SpeedEdit) << "150.0";
    }
    void settingsLabels()
    {
        QFETCH(int, type);
        QFETCH(RoleValues, regs);
        QFETCH(int, id);
        QFETCH(QString, text);
        Regs r(type);
        r.set(regs);
        r.m.settingsChanged = true;
        QCOMPARE(Refresh(r, type).textOf(id), text);
    }

    void graphAndSpeedSlider()
    {
        Regs r(SpeedControl);
        r.set({{CurrentLimit, 1850}, {MaxRpm, 3000}, {SpeedCommand, 1275}, {MotorCurrent, 432}});
        r.m.settingsChanged = true;
        const StatusView v = Refresh(r, SpeedControl);
        QCOMPARE(v.graphLimitAndMax, (std::optional<std::pair<int, int>>{{1850, 2035}}));
        QCOMPARE(v.speedSliderPos, std::optional<int>(42));
        QCOMPARE(v.graphSample, std::optional<int>(432));
        QVERIFY(!v.positionSliderRange.has_value());
        QVERIFY(!v.hasText(ids::PositionEdit));
    }

    void targetPosition_data()
    {
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("poles");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("maxSlider");
        QTest::addColumn<int>("slider");
        QTest::addColumn<QString>("caption");
        QTest::newRow("-340 of 120") << 1000 << 4 << -340 << 119 << 100 << " Position-Step ( 120/R ) < -100/-2R > [ -340 ]";
        QTest::newRow("-300 of 1200") << 10000 << 4 << -300 << 1199 << 300 << " Position-Step ( 1200/R ) < -300/0R > [ -300 ]";
        QTest::newRow("500 of 120") << 1000 << 4 << 500 << 119 << 20 << " Position-Step ( 120/R ) < 20/4R > [ 500 ]";
        QTest::newRow("no poles") << 1000 << 0 << -150 << 0 << 0 << " Position-Step ( 0/R ) < -150/0R > [ -150 ]";
        QTest::newRow("no reducer") << 0 << 8 << 42 << 0 << 0 << " Position-Step ( 0/R ) < 42/0R > [ 42 ]";
    }
    void targetPosition()
    {
        QFETCH(int, ratio);
        QFETCH(int, poles);
        QFETCH(int, target);
        QFETCH(int, maxSlider);
        QFETCH(int, slider);
        QFETCH(QString, caption);
        Regs r(PositionControl);
        r.set({{ReducerRatio, ratio}, {PoleCount, poles}}).set32(TargetPositionHigh, TargetPositionLow, target);
        r.m.settingsChanged = true;
        const StatusView v = Refresh(r, PositionControl);
        QCOMPARE(v.textOf(ids::PositionEdit), QString::number(target));
        QCOMPARE(v.positionSliderRange, (std::optional<std::pair<int, int>>{{0, maxSlider}}));
        QCOMPARE(v.positionSliderPos, std::optional<int>(slider));
        QCOMPARE(v.textOf(ids::PositionCaption), caption);
    }

    // The target fields keep the operator's typing except right after a confirmed write.
    void settingsOnlyWhenChanged()
    {
        Regs r(PositionControl);
        r.set({{PoleCount, 8}, {MaxRpm, 3000}, {ReducerRatio, 1000}});
        DisplayState st;
        const StatusView quiet = Refresh(r, PositionControl, true, &st);
        for (int id : {ids::PoleLabel, ids::LimitLabel, ids::ReducerLabel, ids::AccLabel, ids::DecLabel, ids::MaxRpmLabel,
                       ids::SpeedEdit, ids::SpeedCaption, ids::PositionEdit, ids::PositionCaption})
            QVERIFY2(!quiet.hasText(id), qPrintable(QString::number(id)));
        QVERIFY(!quiet.speedSliderPos && !quiet.positionSliderRange && !quiet.positionSliderPos && !quiet.graphLimitAndMax);
        QCOMPARE(quiet.textOf(ids::BrakeIndicator), QStringLiteral("BRAKE"));

        r.m.settingsChanged = true;
        const StatusView changed = Refresh(r, PositionControl, true, &st);
        QCOMPARE(changed.textOf(ids::PoleLabel), QStringLiteral("Pole: 8P"));
        QVERIFY(changed.positionSliderRange.has_value());
        QVERIFY(!r.m.settingsChanged);

        QVERIFY(!Refresh(r, PositionControl, true, &st).hasText(ids::PoleLabel));
    }

    // The refresh reads the image as the last answer left it, not stale values.
    void refreshReadsTheImage()
    {
        Regs r(SpeedControl);
        r.set({{MaxRpm, 3000}, {SpeedReference, 1500}, {MotorRpm, 1500}});
        r.m.values.clear();
        QCOMPARE(Refresh(r, SpeedControl).textOf(ids::RotateIndicator), QStringLiteral("__ 50.0%"));
    }

    void textOrder_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("speed") << 1
                               << QList<int>{ids::PoleLabel, ids::LimitLabel, ids::ReducerLabel, ids::AccLabel, ids::DecLabel,
                                             ids::MaxRpmLabel, ids::SpeedEdit, ids::SpeedCaption, ids::BrakeOn, ids::BrakeOff,
                                             ids::RotateIndicator, ids::BrakeIndicator, ids::DirectionIndicator,
                                             ids::StepIndicator, ids::DirectionCw, ids::DirectionCcw, ids::Run, ids::Stop,
                                             ids::ResetHigh, ids::ResetLow};
        QTest::newRow("position") << 2
                                  << QList<int>{ids::PoleLabel, ids::LimitLabel, ids::ReducerLabel, ids::AccLabel,
                                                ids::DecLabel, ids::MaxRpmLabel, ids::SpeedEdit, ids::SpeedCaption,
                                                ids::PositionEdit, ids::PositionCaption, ids::BrakeOn, ids::BrakeOff,
                                                ids::RotateIndicator, ids::BrakeIndicator, ids::DirectionIndicator,
                                                ids::StepIndicator, ids::DirectionCw, ids::DirectionCcw, ids::ResetHigh,
                                                ids::ResetLow};
    }
    void textOrder()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, order);
        Regs r(type);
        r.m.settingsChanged = true;
        QCOMPARE(Ids(Refresh(r, type)), order);
    }

    // While a sequence runs nothing is shown; only the flag is lowered.
    void sequenceFreeze()
    {
        Regs r(SpeedControl);
        r.set({{MotorRpm, 1500}, {MaxRpm, 3000}, {AlarmState, 3}, {MotorCurrent, 100}});
        r.m.values.clear();
        r.m.settingsChanged = true;
        DisplayState st;
        st.shownDigits = {B, B, d(1), d(2), d(3)};
        const StatusView v = RefreshStatusView(r.m, SpeedControl, true, true, st);
        QVERIFY(v.texts.empty());
        QVERIFY(!v.speedSliderPos && !v.positionSliderRange && !v.positionSliderPos && !v.graphLimitAndMax &&
                !v.graphSample && !v.dialValues);
        QVERIFY(!v.digitsChanged);
        QCOMPARE(v.digits, (Digits{B, B, d(1), d(2), d(3)}));
        QVERIFY(!r.m.settingsChanged);
        QVERIFY(!st.alarmFlash);                      // the fault blink does not advance
        QCOMPARE(int(r.m.value(MotorRpm)), 1500);      // values still follow the image
    }

    void digits_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("rpm");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<bool>("reducerView");
        QTest::addColumn<Digits>("digits");
        QTest::addColumn<int>("shown");
        QTest::newRow("7") << 1 << 7 << 0 << false << Digits{B, B, B, B, d(7)} << 7;
        QTest::newRow("0 shows a single 0") << 1 << 0 << 0 << false << Digits{B, B, B, B, d(0)} << 0;
        QTest::newRow("inner zeros") << 2 << 10203 << 0 << false << Digits{d(1), d(0), d(2), d(0), d(3)} << 10203;
        QTest::newRow("1500") << 1 << 1500 << 0 << false << Digits{B, d(1), d(5), d(0), d(0)} << 1500;
        QTest::newRow("reducer output") << 1 << 1500 << 1000 << true << Digits{B, B, d(1), d(5), d(0)} << 150;
        QTest::newRow("reducer view without reducer") << 1 << 1500 << 0 << true << Digits{B, d(1), d(5), d(0), d(0)} << 1500;
        QTest::newRow("motor view ignores ratio") << 2 << 1500 << 1000 << false << Digits{B, d(1), d(5), d(0), d(0)} << 1500;
        // A small ratio lifts the output speed beyond five digits: the low five are shown.
        QTest::newRow("low five digits") << 1 << 65535 << 1 << true << Digits{d(5), d(3), d(5), d(0), d(0)} << 6553500;
        QTest::newRow("no control type") << 0 << 1500 << 0 << false << kDashes << 1500;
    }
    void digits()
    {
        QFETCH(int, type);
        QFETCH(int, rpm);
        QFETCH(int, ratio);
        QFETCH(bool, reducerView);
        QFETCH(Digits, digits);
        QFETCH(int, shown);
        Regs r(type == 0 ? SpeedControl : type);
        r.set({{MotorRpm, rpm}, {ReducerRatio, ratio}});
        DisplayState st;
        st.outputView = reducerView;
        bool changed = false;
        QCOMPARE(RefreshDigitsView(r.m, type, true, st, &changed), digits);
        QVERIFY(changed);
        QCOMPARE(st.shownRpm, uint32_t(shown));
        QCOMPARE(st.shownDigits, digits);
    }

    void alarmBlink_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<QList<bool>>("changed");
        QTest::addColumn<QList<Digits>>("shown");
        QTest::newRow("started") << true << QList<bool>{true, true, true, true}
                                 << QList<Digits>{kFault, kDashes, kFault, kDashes};
        // Not polling: the dash phase keeps the fault picture on screen.
        QTest::newRow("not started") << false << QList<bool>{true, false, true, false}
                                     << QList<Digits>{kFault, kFault, kFault, kFault};
    }
    void alarmBlink()
    {
        QFETCH(bool, started);
        QFETCH(QList<bool>, changed);
        QFETCH(QList<Digits>, shown);
        Regs r(SpeedControl);
        r.set({{MotorRpm, 1500}, {AlarmState, 3}});
        DisplayState st;
        st.alarmFlash = true;
        for (int i = 0; i < changed.size(); ++i) {
            bool c = !changed[i];
            const Digits digits = RefreshDigitsView(r.m, SpeedControl, started, st, &c);
            QCOMPARE(c, changed[i]);
            QCOMPARE(c ? digits : st.shownDigits, shown[i]);
            QCOMPARE(st.alarmFlash, i % 2 == 1);
        }
        r.set(AlarmState, 0);
        QCOMPARE(RefreshDigitsView(r.m, SpeedControl, started, st, nullptr), (Digits{B, d(1), d(5), d(0), d(0)}));
    }

    // The blink advances once per answer through RefreshStatus; the phase starts clear.
    void alarmThroughRefresh()
    {
        Regs r(PositionControl);
        r.set(AlarmState, 3);
        DisplayState st;
        QCOMPARE(Refresh(r, PositionControl, true, &st).digits, kDashes);
        QCOMPARE(Refresh(r, PositionControl, true, &st).digits, kFault);
        QCOMPARE(Refresh(r, PositionControl, true, &st).digits, kDashes);
    }

    void rpmCaption()
    {
        QCOMPARE(RpmCaption(true), QStringLiteral("RPM. ( Reducer Output )"));
        QCOMPARE(RpmCaption(false), QStringLiteral("RPM. ( Motor Output )"));
    }
};

QTEST_GUILESS_MAIN(TestStatusView)
#include "test_status_view.moc"
