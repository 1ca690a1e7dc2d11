// The motor settings window through "Motor Setting Config." on the real main window: its states,
// the typing rules, each SET with its scaling and its refusals, APPLY, Check Setting, the reply
// check and the busy guard.

#include "MotorConfigDlg.h"
#include "PanelColours.h"
#include "SettingsRig.h"

using namespace zentor;
using namespace zentor::settings;
using namespace zentor::settings::motor_ids;
using namespace zentor::testing;

namespace {

DLG_MOTOR_CONFIG* openMotor(Rig& r) { return openWindow<DLG_MOTOR_CONFIG>(r, ids::MotorConfig); }

// The port of the type opened, communication stopped, the window open; nothing sent yet.
DLG_MOTOR_CONFIG* readyToSet(Rig& r, int type)
{
    r.selectType(type);
    r.open(type == PositionControl ? kPosition : kSpeed);
    DLG_MOTOR_CONFIG* d = openMotor(r);
    r.ports.sent.clear();
    return d;
}

const std::initializer_list<int> kE1 = {PolesEdit, PolesSet, CurrentEdit, CurrentSet, ReducerEdit, ReducerSet,
                                        MaxRpmEdit, MaxRpmSet, LockEdit, LockSet, CheckSetting, Apply};
const std::initializer_list<int> kE2 = {AccelEdit, AccelSet, DecelEdit, DecelSet};

}  // namespace

class TestMotorSettings : public QObject {
    Q_OBJECT
private slots:
    void enablingFollowsTheMainWindow_data()
    {
        QTest::addColumn<int>("state");  // 0 port closed, 1 running, 2 stopped
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("typeLabel");
        QTest::addColumn<bool>("e1");
        QTest::addColumn<bool>("e2");
        QTest::newRow("port closed") << 0 << int(SpeedControl) << "  [OPEN] COM Port Open and Change Setting Value"
                                     << "Speed" << false << false;
        QTest::newRow("running") << 1 << int(SpeedControl) << "  [STOP] Control Motor" << "Speed" << false << false;
        QTest::newRow("stopped, no type") << 2 << int(NoControl) << "  [Select] Control Type" << "( Select Type )" << false
                                          << false;
        QTest::newRow("stopped, speed") << 2 << int(SpeedControl) << "  [SET] Motor Setting Value" << "Speed" << true
                                        << true;
        QTest::newRow("stopped, position") << 2 << int(PositionControl) << "  [SET] Motor Setting Value" << "Position"
                                           << true << false;
    }
    void enablingFollowsTheMainWindow()
    {
        QFETCH(int, state);
        QFETCH(int, type);
        QFETCH(bool, e1);
        QFETCH(bool, e2);
        Rig r;
        if (type != NoControl) r.selectType(type);
        if (state == 1) {
            r.start(kSpeed, type);
            r.after(600);
        } else if (state == 2) {
            r.open(type == PositionControl ? kPosition : kSpeed);
        }
        DLG_MOTOR_CONFIG* d = openMotor(r);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Motor Setting Configuration"));
        QTEST(textOf(d, Status), "status");
        QTEST(textOf(d, TypeLabel), "typeLabel");
        for (int id : kE1) QVERIFY2(d->control(id)->isEnabled() == e1, qPrintable(QString::number(id)));
        for (int id : kE2) QVERIFY2(d->control(id)->isEnabled() == e2, qPrintable(QString::number(id)));
        for (int id : {StopControlMotor, Exit}) QVERIFY(d->control(id)->isEnabled());
        if (type == PositionControl) {
            QCOMPARE(textOf(d, AccelLabel), QStringLiteral("(N/A)"));
            QCOMPARE(textOf(d, DecelLabel), QStringLiteral("(N/A)"));
        }
        QCOMPARE(accessibilityProblems(d), QStringList());
        QVERIFY(r.notes.texts.isEmpty());
    }

    void labelsShowTheRegistersWithTheirZeroTexts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("texts");  // poles, current, ratio, max, acc, dec, lock
        QTest::newRow("speed") << int(SpeedControl)
                               << QStringList{"8P", "12.3A", "1/7.05", "3000", "1.5s", "0.5s", "(N/A)"};
        QTest::newRow("position") << int(PositionControl)
                                  << QStringList{"8P", "12.3A", "1/7.05", "3000", "(N/A)", "(N/A)", "(N/A)"};
    }
    void labelsShowTheRegistersWithTheirZeroTexts()
    {
        QFETCH(int, type);
        QFETCH(QStringList, texts);
        Rig r;
        sim::SimDriver& driver = r.driver(type == PositionControl ? kPosition : kSpeed);
        driver.setReg(driver.registerOf(PoleCount), 8);
        driver.setReg(driver.registerOf(zentor::CurrentLimit), 1234);
        driver.setReg(driver.registerOf(zentor::ReducerRatio), 705);
        driver.setReg(driver.registerOf(zentor::MaxRpm), 3000);
        if (type == SpeedControl) {
            driver.setReg(driver.registerOf(zentor::AccelTime), 1500);
            driver.setReg(driver.registerOf(zentor::DecelTime), 500);
        }
        driver.setReg(driver.registerOf(zentor::LockTime), 0);
        DLG_MOTOR_CONFIG* d = readyToSet(r, type);
        // Before any status read every label shows its zero text.
        QCOMPARE(textOf(d, PolesLabel), QStringLiteral("__P"));
        QCOMPARE(textOf(d, CurrentLabel), QStringLiteral("__A"));
        QCOMPARE(textOf(d, ReducerLabel), QStringLiteral("___"));
        QCOMPARE(textOf(d, MaxRpmLabel), QStringLiteral("___"));
        QCOMPARE(textOf(d, LockLabel), QStringLiteral("(N/A)"));

        click(d, CheckSetting);
        QCOMPARE(r.ports.sent.size(), size_t(1));
        QCOMPARE(r.ports.sent[0].frame, readFrame(100, type == PositionControl ? 41 : 34));
        r.after(200);
        const QStringList shown = {textOf(d, PolesLabel),  textOf(d, CurrentLabel), textOf(d, ReducerLabel),
                                   textOf(d, MaxRpmLabel), textOf(d, AccelLabel),   textOf(d, DecelLabel),
                                   textOf(d, LockLabel)};
        QCOMPARE(shown, texts);
        QCOMPARE(d->motorSettingValues()[0], uint16_t(8));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void typingRules_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");  // what stays in the field
        QTest::newRow("poles") << int(PolesEdit) << "12" << "12";
        QTest::newRow("poles, a third digit") << int(PolesEdit) << "123" << "12";
        QTest::newRow("poles, a point") << int(PolesEdit) << "4." << "";
        QTest::newRow("poles, a letter") << int(PolesEdit) << "4a" << "";
        QTest::newRow("ratio") << int(ReducerEdit) << "655.35" << "655.35";
        QTest::newRow("ratio, a seventh character") << int(ReducerEdit) << "123.456" << "123.45";
        QTest::newRow("ratio, three decimals") << int(ReducerEdit) << "1.234" << "";
        QTest::newRow("ratio, two points") << int(ReducerEdit) << "1.." << "";
        QTest::newRow("ratio, a minus") << int(ReducerEdit) << "-" << "";
        QTest::newRow("current") << int(CurrentEdit) << "18.5" << "18.5";
        QTest::newRow("current 30.0") << int(CurrentEdit) << "30.0" << "30.0";
        QTest::newRow("current above 30.0") << int(CurrentEdit) << "30.1" << "";
        QTest::newRow("current, two decimals") << int(CurrentEdit) << "1.55" << "";
        QTest::newRow("current, a fifth character") << int(CurrentEdit) << "12.34" << "12.3";
        QTest::newRow("acceleration") << int(AccelEdit) << "2.5" << "2.5";
        QTest::newRow("acceleration above 5.0") << int(AccelEdit) << "5.5" << "";
        QTest::newRow("acceleration, a fourth character") << int(AccelEdit) << "2.55" << "2.5";
        QTest::newRow("deceleration above 5.0") << int(DecelEdit) << "6" << "";
        QTest::newRow("lock time 5.0") << int(LockEdit) << "5.0" << "5.0";
        QTest::newRow("lock time, two points") << int(LockEdit) << "1.." << "";
        QTest::newRow("max rpm") << int(MaxRpmEdit) << "65536" << "65536";
        QTest::newRow("max rpm, a sixth digit") << int(MaxRpmEdit) << "123456" << "12345";
        QTest::newRow("max rpm, a point") << int(MaxRpmEdit) << "36." << "";
    }
    void typingRules()
    {
        QFETCH(int, edit);
        QFETCH(QString, typed);
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        typeInto(d, edit, typed);
        QTEST(textOf(d, edit), "left");
        QVERIFY(r.notes.texts.isEmpty());  // silently
        QVERIFY(r.ports.sent.empty());
    }

    void textsTheWindowSetsAreNotChecked()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        d->controlAs<QLineEdit>(CurrentEdit)->setText(QStringLiteral("99.99"));
        QCOMPARE(textOf(d, CurrentEdit), QStringLiteral("99.99"));
    }

    void eachSet_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("edit");
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("reg");  // -1: nothing is sent
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("label");
        QTest::addColumn<QString>("shown");
        const int s = SpeedControl;
        const int p = PositionControl;
        QTest::newRow("current 18.5") << s << int(CurrentEdit) << int(CurrentSet) << "18.5" << 28 << 1850 << ""
                                      << int(CurrentLabel) << "18.5A";
        QTest::newRow("ratio 50.05") << s << int(ReducerEdit) << int(ReducerSet) << "50.05" << 33 << 5005 << ""
                                     << int(ReducerLabel) << "1/50.05";
        QTest::newRow("ratio 655.35") << s << int(ReducerEdit) << int(ReducerSet) << "655.35" << 33 << 65535 << ""
                                      << int(ReducerLabel) << "1/655.35";
        QTest::newRow("ratio 655.36") << s << int(ReducerEdit) << int(ReducerSet) << "655.36" << -1 << 0
                                      << "Input '0.01 ~ 655.35'" << int(ReducerLabel) << "___";
        QTest::newRow("ratio empty") << s << int(ReducerEdit) << int(ReducerSet) << "" << -1 << 0
                                     << "Input '0.01 ~ 655.35'" << int(ReducerLabel) << "___";
        // Exactly the typed digits: 0.29 * 100 in floating point would truncate to 28.
        QTest::newRow("ratio 0.29") << s << int(ReducerEdit) << int(ReducerSet) << "0.29" << 33 << 29 << ""
                                    << int(ReducerLabel) << "1/0.29";
        QTest::newRow("acceleration 0.3") << s << int(AccelEdit) << int(AccelSet) << "0.3" << -1 << 0
                                          << "Input '0' or '0.5 ~ 5.0'" << int(AccelLabel) << "(N/A)";
        QTest::newRow("acceleration 0") << s << int(AccelEdit) << int(AccelSet) << "0" << 5 << 0 << ""
                                        << int(AccelLabel) << "(N/A)";
        QTest::newRow("acceleration 2.5") << s << int(AccelEdit) << int(AccelSet) << "2.5" << 5 << 2500 << ""
                                          << int(AccelLabel) << "2.5s";
        QTest::newRow("deceleration 0.5") << s << int(DecelEdit) << int(DecelSet) << "0.5" << 6 << 500 << ""
                                          << int(DecelLabel) << "0.5s";
        QTest::newRow("deceleration empty") << s << int(DecelEdit) << int(DecelSet) << "" << -1 << 0
                                            << "Input '0' or '0.5 ~ 5.0'" << int(DecelLabel) << "(N/A)";
        QTest::newRow("max rpm empty") << s << int(MaxRpmEdit) << int(MaxRpmSet) << "" << 31 << 0 << ""
                                       << int(MaxRpmLabel) << "___";
        QTest::newRow("max rpm 65535") << s << int(MaxRpmEdit) << int(MaxRpmSet) << "65535" << 31 << 65535 << ""
                                       << int(MaxRpmLabel) << "65535";
        // Sent modulo 65536 it would reach the driver as 0.
        QTest::newRow("max rpm 65536") << s << int(MaxRpmEdit) << int(MaxRpmSet) << "65536" << -1 << 0
                                       << "Input '0 ~ 65535'" << int(MaxRpmLabel) << "___";
        QTest::newRow("poles 0") << s << int(PolesEdit) << int(PolesSet) << "0" << -1 << 0 << "" << int(PolesLabel)
                                 << "__P";
        QTest::newRow("poles 00") << s << int(PolesEdit) << int(PolesSet) << "00" << -1 << 0 << "" << int(PolesLabel)
                                  << "__P";
        QTest::newRow("poles empty") << s << int(PolesEdit) << int(PolesSet) << "" << -1 << 0 << "" << int(PolesLabel)
                                     << "__P";
        QTest::newRow("current empty") << s << int(CurrentEdit) << int(CurrentSet) << "" << -1 << 0 << ""
                                       << int(CurrentLabel) << "__A";
        QTest::newRow("lock time empty") << s << int(LockEdit) << int(LockSet) << "" << -1 << 0 << ""
                                         << int(LockLabel) << "(N/A)";
        QTest::newRow("lock time 1.5") << s << int(LockEdit) << int(LockSet) << "1.5" << 29 << 1500 << ""
                                       << int(LockLabel) << "1.5s";
        QTest::newRow("position poles 8") << p << int(PolesEdit) << int(PolesSet) << "8" << 13 << 8 << ""
                                          << int(PolesLabel) << "8P";
        QTest::newRow("position ratio 20") << p << int(ReducerEdit) << int(ReducerSet) << "20" << 15 << 2000 << ""
                                           << int(ReducerLabel) << "1/20.00";
        QTest::newRow("position current 5") << p << int(CurrentEdit) << int(CurrentSet) << "5" << 9 << 500 << ""
                                            << int(CurrentLabel) << "5.0A";
        QTest::newRow("position max rpm 3000") << p << int(MaxRpmEdit) << int(MaxRpmSet) << "3000" << 14 << 3000 << ""
                                               << int(MaxRpmLabel) << "3000";
        QTest::newRow("position lock time 3") << p << int(LockEdit) << int(LockSet) << "3" << 10 << 3000 << ""
                                              << int(LockLabel) << "3.0s";
    }
    void eachSet()
    {
        QFETCH(int, type);
        QFETCH(int, edit);
        QFETCH(int, set);
        QFETCH(QString, typed);
        QFETCH(int, reg);
        QFETCH(int, value);
        QFETCH(QString, message);
        QFETCH(int, label);
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, type);
        typeInto(d, edit, typed);
        QCOMPARE(textOf(d, edit), typed);
        click(d, set);
        if (reg < 0) {
            QVERIFY(r.ports.sent.empty());
            QCOMPARE(r.notes.texts, message.isEmpty() ? QStringList() : QStringList{message});
            QCOMPARE(textOf(d, edit), message.isEmpty() ? typed : QString());
            QVERIFY(!d->scheduler().isRunning(SettingsDialog::ReplyTimer));
        } else {
            QCOMPARE(r.ports.sent.size(), size_t(1));
            QCOMPARE(r.ports.sent[0].frame, writeFrame(100, reg, value));
            r.after(200);
            QVERIFY(r.notes.texts.isEmpty());
            const sim::SimDriver& driver = r.driver(type == PositionControl ? kPosition : kSpeed);
            QCOMPARE(int(driver.reg(reg)), value);
        }
        QTEST(textOf(d, label), "shown");
    }

    void currentLimitFrameAndEcho()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        typeInto(d, CurrentEdit, QStringLiteral("18.5"));
        click(d, CurrentSet);
        QCOMPARE(r.ports.sent.size(), size_t(1));
        QCOMPARE(r.ports.sent[0].frame, frameOf("6406001C073AC3DA"));
        r.after(199);
        QCOMPARE(textOf(d, CurrentLabel), QStringLiteral("__A"));  // shown by the reply check
        r.after(1);
        QCOMPARE(textOf(d, CurrentLabel), QStringLiteral("18.5A"));
    }

    void applyReportsSuccessOnce()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        typeInto(d, PolesEdit, QStringLiteral("10"));
        click(d, PolesSet);
        r.after(500);
        const int polesBefore = r.driver(kSpeed).appliedSettings().poleCount;
        r.ports.sent.clear();
        click(d, Apply);
        QVERIFY(d->applyPending());
        QCOMPARE(r.ports.sent.size(), size_t(1));
        QCOMPARE(r.ports.sent[0].frame, frameOf("6406F001A1A15AD7"));
        r.after(200);
        QCOMPARE(r.notes.texts, QStringList{"Change aplied success"});
        QVERIFY(!d->applyPending());
        QCOMPARE(r.driver(kSpeed).appliedSettings().poleCount, 10);
        QVERIFY(polesBefore != 10);
        r.after(2000);
        QCOMPARE(r.notes.texts.size(), 1);

        // A following Check Setting refreshes as usual, without a second notice.
        click(d, CheckSetting);
        r.after(200);
        QCOMPARE(r.notes.texts.size(), 1);
        QCOMPARE(textOf(d, PolesLabel), QStringLiteral("10P"));
    }

    void applyWithoutAnAnswerIsNeverASuccess()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        r.driver(kSpeed).faults().silent = true;
        click(d, Apply);
        r.after(200);
        QCOMPARE(r.notes.texts, QStringList{"Check Device or Connected Line"});
        QVERIFY(!d->applyPending());
        // The next write is answered: its reply check shows the values, not a late success.
        r.driver(kSpeed).faults().silent = false;
        r.after(500);
        typeInto(d, PolesEdit, QStringLiteral("6"));
        click(d, PolesSet);
        r.after(200);
        QCOMPARE(r.notes.texts, QStringList{"Check Device or Connected Line"});
        QCOMPARE(textOf(d, PolesLabel), QStringLiteral("6P"));
    }

    void aSilentDriverFailsAtTheReplyCheck()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        r.driver(kSpeed).faults().silent = true;
        typeInto(d, CurrentEdit, QStringLiteral("18.5"));
        click(d, CurrentSet);
        r.after(199);
        QVERIFY(r.notes.texts.isEmpty());
        QVERIFY(r.w->awaiting());
        r.after(1);
        QCOMPARE(r.notes.texts, QStringList{"Check Device or Connected Line"});
        QVERIFY(!r.w->awaiting());
        QVERIFY(r.w->portOpen());
        QCOMPARE(textOf(d, CurrentLabel), QStringLiteral("__A"));
        r.after(2000);
        QCOMPARE(r.notes.texts.size(), 1);
    }

    void theMainWindowsFailureRefreshesTheWindow()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        DLG_MOTOR_CONFIG* d = openMotor(r);
        QCOMPARE(textOf(d, Status), QStringLiteral("  [STOP] Control Motor"));
        QVERIFY(!d->control(PolesSet)->isEnabled());
        r.driver(kSpeed).faults().silent = true;
        r.after(1000);  // two missed answers end communication
        QCOMPARE(r.notes.texts, QStringList{"Check Device or Connected Line"});
        QCOMPARE(textOf(d, Status), QStringLiteral("  [SET] Motor Setting Value"));
        QVERIFY(d->control(PolesSet)->isEnabled());
        QVERIFY(d->control(AccelSet)->isEnabled());
    }

    void removingThePortRefreshesTheWindow()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        r.sim.pull(kSpeed);
        r.after(600);
        QCOMPARE(r.notes.texts, QStringList{"ComPort Disconnected!"});
        QCOMPARE(textOf(d, Status), QStringLiteral("  [OPEN] COM Port Open and Change Setting Value"));
        QVERIFY(!d->control(PolesSet)->isEnabled());
    }

    void stopControlMotorStopsCommunication()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        DLG_MOTOR_CONFIG* d = openMotor(r);
        click(d, StopControlMotor);
        QVERIFY(!r.w->running());
        QVERIFY(r.w->portOpen());
        r.after(200);
        QCOMPARE(textOf(d, Status), QStringLiteral("  [SET] Motor Setting Value"));
        QVERIFY(d->control(PolesSet)->isEnabled());
        QVERIFY(r.notes.texts.isEmpty());
        // Stopped already: nothing more happens.
        r.after(500);
        click(d, StopControlMotor);
        QVERIFY(!d->scheduler().isRunning(SettingsDialog::ReplyTimer));
    }

    void busyGuardIgnoresASecondPressWithin500ms()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        typeInto(d, PolesEdit, QStringLiteral("4"));
        click(d, PolesSet);
        r.after(300);
        click(d, PolesSet);
        click(d, CheckSetting);
        QCOMPARE(r.ports.sent.size(), size_t(1));
        r.after(200);
        click(d, PolesSet);
        QCOMPARE(r.ports.sent.size(), size_t(2));
        // EXIT is not guarded.
        click(d, Exit);
        QVERIFY(!d->isVisible());
        QVERIFY(!r.w->openWindow());
    }

    void eachOpeningStartsAfresh()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = readyToSet(r, SpeedControl);
        typeInto(d, CurrentEdit, QStringLiteral("12"));
        click(d, CurrentSet);
        click(d, Exit);  // before the reply check: it dies with the window
        r.after(1000);
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(openMotor(r), d);
        QCOMPARE(textOf(d, CurrentEdit), QString());
        QCOMPARE(textOf(d, CurrentLabel), QStringLiteral("12.0A"));  // the confirmed write is in the mirror
        QVERIFY(!d->busy());
    }

    void statusLineIsWhiteOnTheStatusBlue()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = openMotor(r);
        QVERIFY(paintedWith(d->control(Status), {panel::kStatusBlue, QColor(Qt::white)}));
        // However the style paints labels.
        d->control(Status)->setStyleSheet(QStringLiteral("QLabel { background: red; color: black; }"));
        QVERIFY(paintedWith(d->control(Status), {panel::kStatusBlue, QColor(Qt::white)}));
    }

    void fitsTheScreen()
    {
        Rig r;
        DLG_MOTOR_CONFIG* d = openMotor(r);
        QVERIFY2(d->width() <= 1366 && d->height() <= 768 - 80, qPrintable(QStringLiteral("%1 x %2").arg(d->width()).arg(d->height())));
    }
};

QTEST_MAIN(TestMotorSettings)
#include "test_motor_settings.moc"
