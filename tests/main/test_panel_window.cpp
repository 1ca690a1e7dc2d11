// The control panel and the status display through the real widgets, against the simulated
// drivers in virtual time.

#include "ChartDraw.h"
#include "DrawStatic.h"
#include "PanelColours.h"
#include "Rig.h"

using namespace zentor;
using namespace zentor::testing;

namespace {
const QString kSpeed = QStringLiteral("SIM-SPEED");
const QString kPosition = QStringLiteral("SIM-POSITION");

// Started, with the driver's settings read, the busy guard released and the window active
// so that the edits can hold the focus.
void startActive(Rig& r, const QString& port, int type)
{
    r.w->show();
    r.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
    r.start(port, type);
    r.after(600);
}

void typeInto(Rig& r, int id, const QString& text)
{
    auto* edit = r.get<QLineEdit>(id);
    edit->setFocus();
    QVERIFY(edit->hasFocus());
    edit->setText(text);
}

// Whether the button is painted in the active state's red (inside its border, left of its caption).
bool shownRed(QWidget* button)
{
    const QImage image = button->grab().toImage();
    return image.pixelColor(QPoint(4, button->height() / 2) * button->devicePixelRatioF()).rgb() == panel::kActiveButton.rgb();
}

// Started in speed control, 50 % set, RUN pressed and the motor given three seconds.
void runAtHalfSpeed(Rig& r)
{
    startActive(r, kSpeed, SpeedControl);
    typeInto(r, ids::SpeedEdit, QStringLiteral("50.0"));
    r.press(ids::SpeedSet);
    r.after(600);
    r.press(ids::Run);
    r.after(3000);
}

QByteArray lastWrite(Rig& r)
{
    for (auto it = r.ports.sent.rbegin(); it != r.ports.sent.rend(); ++it)
        if (it->function() != 0x03) return it->frame.left(it->frame.size() - 2);
    return {};
}
}  // namespace

class TestPanelWindow : public QObject {
    Q_OBJECT
private slots:
    void speedEdit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("slider");
        QTest::newRow("two decimals") << "12.34" << "" << 0;
        QTest::newRow("one decimal") << "12.3" << "12.3" << 12;
        QTest::newRow("trailing point") << "12." << "12." << 12;
        QTest::newRow("leading point") << ".5" << ".5" << 0;
        QTest::newRow("above 100") << "100.1" << "" << 0;
        QTest::newRow("two points") << "1.2.3" << "" << 0;
        QTest::newRow("point point") << "1.." << "1.." << 1;
        QTest::newRow("letter") << "5a" << "" << 0;
        QTest::newRow("hundred") << "100" << "100" << 100;
    }
    void speedEdit()
    {
        QFETCH(QString, typed);
        Rig r;
        startActive(r, kSpeed, SpeedControl);
        r.get<QSlider>(ids::SpeedSlider)->setValue(0);
        typeInto(r, ids::SpeedEdit, typed);
        QTEST(r.text(ids::SpeedEdit), "kept");
        QTEST(r.get<QSlider>(ids::SpeedSlider)->value(), "slider");
    }

    void positionEdit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("captionEnd");
        QTest::addColumn<int>("slider");
        QTest::newRow("negative") << "-150" << "-150" << "( 120/R ) < -30/-1R > [ 0 ]" << 30;
        QTest::newRow("minus behind") << "5-" << "" << "" << 0;
        QTest::newRow("two minus") << "--5" << "" << "" << 0;
        QTest::newRow("lone minus") << "-" << "-" << "( 120/R ) < 0/0R > [ 0 ]" << 0;
        QTest::newRow("saturates to the lowest") << "-2147483649" << "" << "" << 0;
    }
    void positionEdit()
    {
        QFETCH(QString, typed);
        QFETCH(QString, captionEnd);
        Rig r;
        // 10.00 : 1 reducer and 4 poles: 120 steps per output revolution.
        r.driver(kPosition).setReg(15, 1000);
        r.driver(kPosition).setReg(13, 4);
        startActive(r, kPosition, PositionControl);
        r.get<QSlider>(ids::PositionSlider)->setValue(0);
        typeInto(r, ids::PositionEdit, typed);
        QTEST(r.text(ids::PositionEdit), "kept");
        if (!captionEnd.isEmpty()) QVERIFY2(r.text(ids::PositionCaption).endsWith(captionEnd), qPrintable(r.text(ids::PositionCaption)));
        QTEST(r.get<QSlider>(ids::PositionSlider)->value(), "slider");
    }

    void positionSliderRelease_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<QString>("edit");
        QTest::newRow("fraction replaced") << 50 << "-290";
        QTest::newRow("fraction kept") << 100 << "-340";
    }
    void positionSliderRelease()
    {
        QFETCH(int, slider);
        Rig r;
        r.driver(kPosition).setReg(15, 1000);
        r.driver(kPosition).setReg(13, 4);
        startActive(r, kPosition, PositionControl);
        typeInto(r, ids::PositionEdit, QStringLiteral("-340"));
        auto* s = r.get<QSlider>(ids::PositionSlider);
        s->setValue(slider);
        emit s->sliderReleased();
        QTEST(r.text(ids::PositionEdit), "edit");
    }

    void targetSpeedAboveTheMaximumIsShownWhole()
    {
        // The edit takes five typed characters, but shows the driver's target as it is.
        Rig r;
        r.driver(kSpeed).setReg(31, 100);  // MaxRpm
        r.driver(kSpeed).setReg(1, 1500);  // SpeedCommand
        startActive(r, kSpeed, SpeedControl);
        QCOMPARE(r.text(ids::SpeedEdit), QStringLiteral("1500.0"));
        auto* edit = r.get<QLineEdit>(ids::SpeedEdit);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("100.00"));
        QCOMPARE(edit->text(), QStringLiteral("100.0"));
    }

    void slidersWhileNotStartedGoBackToZero()
    {
        Rig r;
        r.selectType(SpeedControl);
        auto* s = r.get<QSlider>(ids::SpeedSlider);
        s->setValue(40);
        emit s->sliderReleased();
        QCOMPARE(s->value(), 0);
    }

    void everyWayOfMovingASliderEndsInItsRelease_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("action");
        QTest::newRow("speed, click on the track") << int(SpeedControl) << int(ids::SpeedSlider)
                                                   << int(QAbstractSlider::SliderPageStepAdd);
        QTest::newRow("speed, arrow key") << int(SpeedControl) << int(ids::SpeedSlider) << int(QAbstractSlider::SliderSingleStepAdd);
        QTest::newRow("speed, End key") << int(SpeedControl) << int(ids::SpeedSlider) << int(QAbstractSlider::SliderToMaximum);
        QTest::newRow("position, click on the track") << int(PositionControl) << int(ids::PositionSlider)
                                                      << int(QAbstractSlider::SliderPageStepAdd);
        QTest::newRow("position, arrow key") << int(PositionControl) << int(ids::PositionSlider)
                                             << int(QAbstractSlider::SliderSingleStepAdd);
    }
    void everyWayOfMovingASliderEndsInItsRelease()
    {
        QFETCH(int, type);
        QFETCH(int, slider);
        QFETCH(int, action);
        Rig r;
        const QString port = type == SpeedControl ? kSpeed : kPosition;
        r.driver(port).setReg(type == SpeedControl ? 31 : 14, 3000);  // MaxRpm
        if (type == PositionControl) {
            r.driver(port).setReg(15, 1000);  // 1/10.00 reducer
            r.driver(port).setReg(13, 4);     // 4 poles: 120 steps per revolution
        }
        startActive(r, port, type);
        auto* s = r.get<QSlider>(slider);
        s->triggerAction(QAbstractSlider::SliderAction(action));
        QVERIFY(s->value() > 0);
        const int edit = type == SpeedControl ? ids::SpeedEdit : ids::PositionEdit;
        // The edit holds what the slider shows, and SET sends it.
        const QString expected = type == SpeedControl ? QStringLiteral("%1.0").arg(s->value()) : QString::number(s->value());
        QCOMPARE(r.text(edit), expected);
        r.press(type == SpeedControl ? ids::SpeedSet : ids::PositionSet);
        r.after(300);
        const QByteArray frame = lastWrite(r);
        if (type == SpeedControl) {
            QCOMPARE(frame.toHex(), QByteArray::fromHex("64060001").toHex() + QByteArray::number(s->value() * 30, 16).rightJustified(4, '0'));
        } else {
            QCOMPARE(uint8_t(frame[10]), uint8_t(s->value()));
        }
    }

    void aSliderMovedByKeyWhileNotStartedGoesBackToZero()
    {
        Rig r;
        r.selectType(SpeedControl);
        auto* s = r.get<QSlider>(ids::SpeedSlider);
        s->show();
        s->setFocus();
        QTest::keyClick(s, Qt::Key_Right);
        QTest::keyClick(s, Qt::Key_PageUp);
        QCOMPARE(s->value(), 0);
        QCOMPARE(r.text(ids::SpeedEdit), QString());
    }

    void setScaling_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("speed 100% of 3000") << int(SpeedControl) << int(ids::SpeedSet) << int(ids::SpeedEdit) << "100"
                                           << QByteArray::fromHex("640600010BB8");
        QTest::newRow("speed 50.0 in position control") << int(PositionControl) << int(ids::SpeedSet) << int(ids::SpeedEdit)
                                                        << "50.0" << QByteArray::fromHex("6406002005DC");
        QTest::newRow("position -2") << int(PositionControl) << int(ids::PositionSet) << int(ids::PositionEdit) << "-2"
                                     << QByteArray::fromHex("64100021000204FFFFFFFE");
    }
    void setScaling()
    {
        QFETCH(int, type);
        QFETCH(int, button);
        QFETCH(int, edit);
        QFETCH(QString, typed);
        QFETCH(QByteArray, frame);
        Rig r;
        const QString port = type == SpeedControl ? kSpeed : kPosition;
        r.driver(port).setReg(type == SpeedControl ? 31 : 14, 3000);  // MaxRpm
        startActive(r, port, type);
        typeInto(r, edit, typed);
        r.press(button);
        r.after(300);
        QCOMPARE(lastWrite(r).toHex(' '), frame.toHex(' '));
    }

    void directionInEachControlType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("speed: DirectionCommand") << int(SpeedControl) << QByteArray::fromHex("640600020000");
        QTest::newRow("position: MountDirection") << int(PositionControl) << QByteArray::fromHex("6406000C0000");
    }
    void directionInEachControlType()
    {
        QFETCH(int, type);
        Rig r;
        startActive(r, type == SpeedControl ? kSpeed : kPosition, type);
        r.press(ids::DirectionCw);
        r.after(300);
        QTEST(lastWrite(r), "frame");
    }

    void commandWithoutCommunication()
    {
        Rig r;
        r.selectType(SpeedControl);
        r.press(ids::Run);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("COMMUNICATION \n 1. COM Port 'Open' \n 2. 'Start'")});
        QCOMPARE(r.w->pending().kind, int32_t(StatusRead));
        r.press(ids::Run);  // within 500 ms: ignored
        QCOMPARE(r.notes.texts.size(), 1);
    }

    void runTwiceWithin500msQueuesOneCommand()
    {
        Rig r;
        startActive(r, kSpeed, SpeedControl);
        r.press(ids::Run);
        r.after(200);
        QCOMPARE(r.sentWith(0x06).size(), size_t(1));
        r.press(ids::Stop);  // within 500 ms of RUN: ignored
        r.after(600);
        QCOMPARE(r.sentWith(0x06).size(), size_t(1));
        QCOMPARE(uint8_t(r.sentWith(0x06)[0].frame[5]), uint8_t(1));
    }

    void selectSwitchesTheGroups()
    {
        Rig r;
        r.selectType(PositionControl);
        QCOMPARE(r.text(ids::DirectionCaption), QStringLiteral(" Mounting Direction"));
        QCOMPARE(r.text(ids::DirectionCw), QStringLiteral("LEFT"));
        QCOMPARE(r.text(ids::DirectionCcw), QStringLiteral("RIGHT"));
        QVERIFY(r.w->control(ids::ResetHigh)->isEnabled());
        QVERIFY(r.w->control(ids::PositionSet)->isEnabled());
        QVERIFY(!r.w->control(ids::Run)->isEnabled());
        QVERIFY(!r.w->control(ids::ClutchOn)->isEnabled());
        QCOMPARE(r.get<QComboBox>(ids::ControlTypeList)->currentText(), QStringLiteral(" ------ "));
        QCOMPARE(r.text(ids::TypeLabel), QStringLiteral("Position Ctrl"));
        r.selectType(SpeedControl);
        QCOMPARE(r.text(ids::DirectionCaption), QStringLiteral(" Direction"));
        QVERIFY(r.w->control(ids::Run)->isEnabled());
        QVERIFY(!r.w->control(ids::ResetHigh)->isEnabled());
        QVERIFY(!r.w->control(ids::PositionSet)->isEnabled());
        QCOMPARE(r.w->registers().layout.statusQuantity(), 34);
    }

    void selectWhileStarted()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        QVERIFY(!r.w->control(ids::Select)->isEnabled());
        r.w->control(ids::Select)->setEnabled(true);
        r.press(ids::Select);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Stop Contorl Motor")});
        QCOMPARE(r.w->controlType(), int(SpeedControl));
    }

    void runShowsTheDriversStateAfterTheNextRead()
    {
        Rig r;
        startActive(r, kSpeed, SpeedControl);
        QCOMPARE(r.text(ids::Run), QStringLiteral("RUN"));
        QCOMPARE(r.text(ids::Stop), QStringLiteral("< STOP >"));
        r.press(ids::Run);
        r.after(300);  // written at the command phase and confirmed
        QVERIFY(panel::ButtonActive(ids::Run, r.w->registers(), SpeedControl, true, true));
        QVERIFY(shownRed(r.w->control(ids::Run)));
        r.after(300);  // the next status read brings the driver's run state
        QCOMPARE(r.text(ids::Run), QStringLiteral("< RUN >"));
        QCOMPARE(r.text(ids::Stop), QStringLiteral("STOP"));
    }

    void theNamedColoursAreTheColoursOnScreen()
    {
        // Whatever the widget style paints: the pixels themselves.
        Rig r;
        startActive(r, kSpeed, SpeedControl);
        r.press(ids::Run);
        r.after(600);
        auto pixel = [&r](int id, QPoint at) {
            QWidget* w = r.w->control(id);
            return w->grab().toImage().pixelColor(at * w->devicePixelRatioF()).rgb();
        };
        QWidget* run = r.w->control(ids::Run);
        // Inside the border, left of the caption, and at the middle of the top edge.
        QCOMPARE(pixel(ids::Run, QPoint(4, run->height() / 2)), panel::kActiveButton.rgb());
        QCOMPARE(pixel(ids::Run, QPoint(run->width() / 2, 3)), panel::kActiveButton.rgb());
        QVERIFY(pixel(ids::Stop, QPoint(4, run->height() / 2)) != panel::kActiveButton.rgb());
        QCOMPARE(pixel(ids::RotateIndicator, QPoint(3, 3)), panel::kIndicatorBackground.rgb());
        QCOMPARE(pixel(ids::SpeedCaption, QPoint(2, 2)), panel::kGroupBackground.rgb());
        const QRgb lamp = pixel(ids::LinkLamp, QPoint(4, 13));
        QVERIFY(lamp == panel::kLampOpenPhaseClear.rgb() || lamp == panel::kLampOpenPhaseSet.rgb());
    }

    void theLampNeverBlinksWithoutCommunication()
    {
        Rig r;
        startActive(r, kSpeed, SpeedControl);
        auto lamp = [&r] {
            QWidget* w = r.w->control(ids::LinkLamp);
            return w->grab().toImage().pixelColor(QPoint(4, 13) * w->devicePixelRatioF()).rgb();
        };
        // Stop in each blink phase: the lamp is the open port's steady green.
        for (int phase = 0; phase < 2; ++phase) {
            r.after(500);  // the blink timer turns
            r.press(ids::StartStop);
            r.after(600);
            QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Ready"));
            QCOMPARE(lamp(), panel::kLampOpenPhaseClear.rgb());
            r.press(ids::StartStop);
            QCOMPARE(lamp(), panel::kLampOpenPhaseClear.rgb());  // a fresh start starts steady
        }
        // After a failure, and after a fresh Open.
        r.driver(kSpeed).faults().silent = true;
        r.after(1000);
        QCOMPARE(r.notes.last(), QStringLiteral("Check Device or Connected Line"));
        QCOMPARE(lamp(), panel::kLampOpenPhaseClear.rgb());
        r.press(ids::OpenClose);
        r.after(600);
        r.open(kSpeed);
        QCOMPARE(lamp(), panel::kLampOpenPhaseClear.rgb());
    }

    void afterAFailureNoReadingLooksLive()
    {
        Rig r;
        runAtHalfSpeed(r);
        QCOMPARE(r.text(ids::Run), QStringLiteral("< RUN >"));
        QString statusWhenTold;
        QString runWhenTold;
        r.notes.whileShown = [&] {
            statusWhenTold = r.text(ids::ConnectionStatus);
            runWhenTold = r.text(ids::Run);
        };
        r.driver(kSpeed).faults().silent = true;
        r.after(1000);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Check Device or Connected Line")});
        // The window was in its new state when the operator was told.
        QCOMPARE(statusWhenTold, QStringLiteral("Ready"));
        QCOMPARE(runWhenTold, QStringLiteral("RUN"));
        QCOMPARE(r.text(ids::RotateIndicator), QStringLiteral("_Speed %_"));
        QCOMPARE(r.text(ids::MaxRpmLabel), QStringLiteral("Max. RPM : ____"));
        // The digits are reset as a pulled-out port leaves them: no figure of the last speed.
        for (int id : {ids::DigitTenThousands, ids::DigitThousands, ids::DigitHundreds, ids::DigitTens})
            QCOMPARE(r.w->control(id)->property("imageId").toInt(), int(ids::art::Blank));
        QCOMPARE(r.w->control(ids::DigitUnits)->property("imageId").toInt(), int(ids::art::Digit0));
    }

    void indicatorsOfADisabledGroupAreGreyedWithIt()
    {
        Rig r;
        r.selectType(SpeedControl);  // the clutch group is never enabled
        r.w->show();
        auto darkest = [](QWidget* w) {
            const QImage image = w->grab().toImage();
            int least = 255;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) least = std::min(least, qGray(image.pixel(x, y)));
            return least;
        };
        QVERIFY(!r.w->control(ids::ClutchIndicator)->isEnabled());
        QVERIFY(r.w->control(ids::ClutchIndicator)->palette().color(QPalette::Disabled, QPalette::WindowText) !=
                panel::kIndicatorTextClear);
        // The caption is drawn as light as its disabled neighbours' captions.
        QVERIFY2(darkest(r.w->control(ids::ClutchIndicator)) >= darkest(r.w->control(ids::ClutchOn)) - 10,
                 qPrintable(QStringLiteral("%1 vs %2").arg(darkest(r.w->control(ids::ClutchIndicator))).arg(darkest(r.w->control(ids::ClutchOn)))));
    }

    void brakeOnShownRedAndInBrackets()
    {
        Rig r;
        startActive(r, kPosition, PositionControl);
        r.press(ids::BrakeOn);
        r.after(600);
        QCOMPARE(r.text(ids::BrakeOn), QStringLiteral("< ON >"));
        QCOMPARE(r.text(ids::BrakeOff), QStringLiteral("OFF"));
        QVERIFY(shownRed(r.w->control(ids::BrakeOn)));
        QVERIFY(!shownRed(r.w->control(ids::BrakeOff)));
        QCOMPARE(r.text(ids::RotateIndicator), QStringLiteral("_ Stop _"));
    }

    void driverAlarmBlinksTheDigits()
    {
        Rig r;
        startActive(r, kSpeed, SpeedControl);
        r.driver(kSpeed).setReg(27, 3);  // AlarmState of the speed layout
        r.after(300);  // the answer already on its way still reports no alarm
        QStringList seen;
        for (int i = 0; i < 4; ++i) {
            r.after(300);
            seen << QString::number(r.w->control(ids::DigitTenThousands)->property("imageId").toInt());
        }
        const QString fault = QString::number(ids::art::FaultF);
        const QString dash = QString::number(ids::art::Dash);
        QVERIFY2(seen == (QStringList{fault, dash, fault, dash}) || seen == (QStringList{dash, fault, dash, fault}),
                 qPrintable(seen.join(',')));
    }

    void motorRunsUpAndTheDigitsClimb()
    {
        Rig r;
        runAtHalfSpeed(r);
        QVERIFY(r.w->registers().value(MotorRpm) > 0);
        QCOMPARE(r.w->control(ids::DigitUnits)->property("imageId").toInt() != ids::art::Blank, true);
        QVERIFY(r.text(ids::RotateIndicator).endsWith('%'));
    }
};

QTEST_MAIN(TestPanelWindow)
#include "test_panel_window.moc"
