// Colour decisions of the main window: the active-state button red and the static colours.

#include "ControlIds.h"
#include "PanelColours.h"
#include "logic_fixture.h"

#include <QTest>

using namespace zentor;
using namespace zentor::panel;
using zentor::test::Regs;
using zentor::test::RoleValues;

class TestPanelColours : public QObject {
    Q_OBJECT
private slots:
    void buttonActive_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<RoleValues>("regs");
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("red");
        const RoleValues none;
        QTest::newRow("CW selected") << 1 << RoleValues{{DirectionCommand, 0}} << int(ids::DirectionCw) << true << true << true;
        QTest::newRow("CCW not selected") << 1 << RoleValues{{DirectionCommand, 0}} << int(ids::DirectionCcw) << true << true
                                          << false;
        QTest::newRow("CCW selected") << 1 << RoleValues{{DirectionCommand, 1}} << int(ids::DirectionCcw) << true << true
                                      << true;
        QTest::newRow("direction bit 0 only") << 1 << RoleValues{{DirectionCommand, 2}} << int(ids::DirectionCw) << true
                                              << true << true;
        // Position control follows MountDirection, not the speed direction register.
        QTest::newRow("RIGHT mounted") << 2 << RoleValues{{MountDirection, 1}, {DirectionCommand, 0}}
                                       << int(ids::DirectionCcw) << true << true << true;
        QTest::newRow("LEFT not mounted") << 2 << RoleValues{{MountDirection, 1}, {DirectionCommand, 0}}
                                          << int(ids::DirectionCw) << true << true << false;
        QTest::newRow("brake on") << 1 << RoleValues{{BrakeCommand, 3}} << int(ids::BrakeOn) << true << true << true;
        QTest::newRow("brake off not red") << 1 << RoleValues{{BrakeCommand, 1}} << int(ids::BrakeOff) << true << true
                                           << false;
        // The command register counts, not what the driver reports.
        QTest::newRow("brake follows command") << 2 << RoleValues{{BrakeCommand, 0}, {BrakeState, 1}} << int(ids::BrakeOff)
                                               << true << true << true;
        QTest::newRow("RUN") << 1 << RoleValues{{RunCommand, 1}} << int(ids::Run) << true << true << true;
        QTest::newRow("STOP while running") << 1 << RoleValues{{RunCommand, 1}} << int(ids::Stop) << true << true << false;
        QTest::newRow("STOP") << 1 << none << int(ids::Stop) << true << true << true;
        QTest::newRow("HIGH") << 2 << RoleValues{{RunCommand, 1}} << int(ids::ResetHigh) << true << true << true;
        QTest::newRow("LOW") << 2 << none << int(ids::ResetLow) << true << true << true;
        QTest::newRow("not started") << 1 << RoleValues{{RunCommand, 1}} << int(ids::Run) << false << true << false;
        QTest::newRow("disabled") << 2 << none << int(ids::ResetLow) << true << false << false;
        QTest::newRow("clutch on") << 2 << RoleValues{{ClutchState, 1}} << int(ids::ClutchOn) << true << true << true;
        QTest::newRow("clutch off") << 2 << RoleValues{{ClutchState, 2}} << int(ids::ClutchOff) << true << true << true;
        QTest::newRow("other button") << 1 << none << int(ids::SpeedSet) << true << true << false;
    }
    void buttonActive()
    {
        QFETCH(int, type);
        QFETCH(RoleValues, regs);
        QFETCH(int, id);
        QFETCH(bool, started);
        QFETCH(bool, enabled);
        QFETCH(bool, red);
        Regs r(type);
        r.set(regs);
        QCOMPARE(ButtonActive(id, r.m, type, started, enabled), red);
    }

    // After Position then Speed control the clutch slot still names register 11, which the
    // speed driver uses for SpeedReference: it must not colour the clutch controls.
    void noClutchInSpeedControl()
    {
        Regs r(PositionControl);
        r.m.layout.apply(SpeedControl);
        r.setRegister(11, 1);
        QCOMPARE(int(r.m.value(ClutchState)), 1);
        QVERIFY(!ButtonActive(ids::ClutchOn, r.m, SpeedControl, true, true));
        QVERIFY(!ButtonActive(ids::ClutchOff, r.m, SpeedControl, true, true));
        const StaticColours c = StaticColoursFor(ids::ClutchIndicator, r.m, SpeedControl, true, false, true);
        QCOMPARE(c.text, std::optional<QColor>(QColor(64, 64, 64)));
    }

    void staticColours_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<RoleValues>("regs");
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<bool>("blink");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QColor>("background");  // invalid: the default
        QTest::addColumn<QColor>("text");
        const RoleValues none;
        const QColor white(255, 255, 255), indicator(192, 224, 250), set(250, 64, 64), clear(64, 64, 64);
        QTest::newRow("panel enabled") << 1 << none << int(ids::SpeedPanel) << true << false << true << white << QColor();
        QTest::newRow("panel disabled") << 1 << none << int(ids::ResetPanel) << true << false << false << QColor() << QColor();
        QTest::newRow("caption enabled") << 2 << none << int(ids::PositionCaption) << true << false << true << white << QColor();
        QTest::newRow("clutch caption disabled") << 2 << none << int(ids::ClutchCaption) << true << false << false << QColor()
                                                 << QColor();
        QTest::newRow("slider enabled") << 1 << none << int(ids::SpeedSlider) << true << false << true << white << QColor();
        QTest::newRow("line statics stay default") << 1 << none << int(ids::SpeedLine) << true << false << true << QColor()
                                                   << QColor();
        QTest::newRow("lamp closed") << 1 << none << int(ids::LinkLamp) << false << true << true << QColor(64, 100, 64)
                                     << QColor();
        QTest::newRow("lamp open, phase set") << 1 << none << int(ids::LinkLamp) << true << true << true << QColor(192, 32, 32)
                                              << QColor();
        QTest::newRow("lamp open, phase clear") << 1 << none << int(ids::LinkLamp) << true << false << true
                                                << QColor(32, 192, 32) << QColor();
        QTest::newRow("rotate indicator") << 1 << none << int(ids::RotateIndicator) << true << false << false << indicator
                                          << QColor();
        QTest::newRow("step indicator") << 2 << none << int(ids::StepIndicator) << true << false << true << indicator
                                        << QColor();
        QTest::newRow("clutch engaged") << 2 << RoleValues{{ClutchState, 3}} << int(ids::ClutchIndicator) << true << false
                                        << false << indicator << set;
        QTest::newRow("clutch released") << 2 << RoleValues{{ClutchState, 2}} << int(ids::ClutchIndicator) << true << false
                                         << false << indicator << clear;
        QTest::newRow("brake on") << 1 << RoleValues{{BrakeState, 1}} << int(ids::BrakeIndicator) << true << false << true
                                  << indicator << set;
        QTest::newRow("brake off") << 2 << RoleValues{{BrakeState, 2}} << int(ids::BrakeIndicator) << true << false << true
                                   << indicator << clear;
        QTest::newRow("brake command does not count") << 2 << RoleValues{{BrakeCommand, 1}} << int(ids::BrakeIndicator) << true
                                                      << false << true << indicator << clear;
        QTest::newRow("label") << 1 << none << int(ids::PoleLabel) << true << false << true << QColor() << QColor();
    }
    void staticColours()
    {
        QFETCH(int, type);
        QFETCH(RoleValues, regs);
        QFETCH(int, id);
        QFETCH(bool, portOpen);
        QFETCH(bool, blink);
        QFETCH(bool, enabled);
        QFETCH(QColor, background);
        QFETCH(QColor, text);
        Regs r(type);
        r.set(regs);
        const StaticColours c = StaticColoursFor(id, r.m, type, portOpen, blink, enabled);
        QCOMPARE(c.background.value_or(QColor()), background);
        QCOMPARE(c.text.value_or(QColor()), text);
    }

    void palette()
    {
        QCOMPARE(kWindowBackground, QColor(240, 240, 240));
        QCOMPARE(kActiveButton, QColor(192, 32, 32));
    }
};

QTEST_GUILESS_MAIN(TestPanelColours)
#include "test_panel_colours.moc"
