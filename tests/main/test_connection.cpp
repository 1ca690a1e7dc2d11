// The connection workflow through the real window: open, close, start, stop, and adapters
// that come and go.

#include "ChartDraw.h"
#include "Rig.h"
#include "SimulatorControls.h"
#include "SystemPorts.h"

#include <QAction>
#include <QSet>
#include <QFile>
#include <QTemporaryDir>

using namespace zentor;
using namespace zentor::testing;

namespace {
const QString kSpeed = QStringLiteral("SIM-SPEED");
const QString kPosition = QStringLiteral("SIM-POSITION");
}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
private slots:
    void controlsOfEachState_data()
    {
        QTest::addColumn<int>("state");  // 0 closed, 1 ready, 2 controlling
        QTest::addColumn<QString>("openCaption");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("startCaption");
        QTest::addColumn<bool>("portsEnabled");
        QTest::addColumn<bool>("typeEnabled");
        QTest::newRow("closed") << 0 << "Open" << "Select COM Port and Open" << "Start" << true << true;
        QTest::newRow("ready") << 1 << "Close" << "Ready" << "Start" << false << true;
        QTest::newRow("controlling") << 2 << "Close" << "Device Control" << "Stop" << false << false;
        QTest::newRow("stopped again") << 3 << "Close" << "Ready" << "Start" << false << true;
    }
    void controlsOfEachState()
    {
        QFETCH(int, state);
        Rig r;
        r.selectType(SpeedControl);
        if (state >= 1) r.open(kSpeed);
        if (state >= 2) {
            r.press(ids::StartStop);
            r.after(600);
        }
        if (state == 3) {
            r.press(ids::StartStop);
            r.after(600);
        }
        QTEST(r.text(ids::OpenClose), "openCaption");
        QTEST(r.text(ids::ConnectionStatus), "status");
        QTEST(r.text(ids::StartStop), "startCaption");
        QTEST(r.w->control(ids::ComPortList)->isEnabled(), "portsEnabled");
        QTEST(r.w->control(ids::ControlTypeList)->isEnabled(), "typeEnabled");
        QTEST(r.w->control(ids::Select)->isEnabled(), "typeEnabled");
        QCOMPARE(r.text(ids::IdLabel), QStringLiteral("ID : 100 (0x64)"));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void openTwiceWithin500msActsOnce()
    {
        Rig r;
        r.choosePort(kSpeed);
        r.press(ids::OpenClose);
        r.after(100);
        r.press(ids::OpenClose);
        r.after(100);
        QVERIFY(r.w->portOpen());
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Close"));
        r.after(400);
        r.press(ids::OpenClose);
        r.after(10);
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Open"));
    }

    void startChecksComeInOrder()
    {
        Rig r;
        r.press(ids::StartStop);  // closed and no control type: the port is named first
        r.after(500);
        r.open(kSpeed);
        r.press(ids::StartStop);
        r.after(500);
        QCOMPARE(r.notes.texts, (QStringList{QStringLiteral("Open COM Port"), QStringLiteral("Select Control Type")}));
        QVERIFY(!r.w->running());
        QVERIFY(r.ports.sent.empty());
    }

    void noPortAtAll()
    {
        Rig r;
        r.ports.hidden_ = true;
        r.w->CheckPorts();
        r.press(ids::OpenClose);
        QCOMPARE(r.notes.last(), QStringLiteral("There is No Usable ComPort.\nPlease Check ComPort Device."));
        QVERIFY(!r.w->portOpen());
    }

    void portThatWillNotOpen()
    {
        Rig r;
        r.choosePort(QStringLiteral("SCRIPTED"));  // no script: its open fails
        r.press(ids::OpenClose);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Check Device or Connected Line")});
        QVERIFY(!r.w->link());
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Open"));
    }

    void closeWhileControllingStopsTimersAtOnceAndChangesCaptionsWhenClosed()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(1000);
        QVERIFY(r.w->registers().values.at(31) != 0);  // MaxRpm came in
        r.press(ids::OpenClose);
        for (int t : {CZentorDlg::BlinkTimer, CZentorDlg::TransmitTimer, CZentorDlg::ReceiveTimer, CZentorDlg::PollTimer})
            QVERIFY(!r.w->scheduler().isRunning(t));
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Close"));
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Device Control"));
        r.clock.runDue();
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Open"));
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Select COM Port and Open"));
        QVERIFY(!r.w->link());
        QVERIFY(r.ports.closed);
        QCOMPARE(r.w->registers().values.at(31), uint16_t(0));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void closeCompletesForALinkThatCannotReportItsEnd()
    {
        // A link whose port never came under watch sends no closed notification; the close
        // request must not wait for one for ever.
        Rig r;
        r.open(kSpeed);
        r.w->link()->threadRunning = 0;
        r.press(ids::OpenClose);
        r.clock.runDue();
        QVERIFY(!r.w->link());
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Open"));
        QVERIFY(!r.w->portOpen());
    }

    void pluggingASecondPortKeepsTheOpenOneSelected()
    {
        Rig r;
        r.sim.pull(kSpeed);
        r.w->portWatcher().check();
        r.start(kPosition, PositionControl);
        r.after(600);
        r.sim.plugIn(kSpeed);
        r.after(1000);  // the port list is compared at its interval
        auto* list = r.get<QComboBox>(ids::ComPortList);
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->currentText(), kPosition);
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Device Control"));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void pullingAnotherPortOnlyRebuildsTheList()
    {
        Rig r;
        r.start(kPosition, PositionControl);
        r.after(600);
        r.sim.pull(kSpeed);
        r.after(1000);
        QCOMPARE(r.get<QComboBox>(ids::ComPortList)->findText(kSpeed), -1);
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Device Control"));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void pullingTheOpenPortWhileControlling()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(900);
        QVERIFY(r.w->registers().values.at(31) != 0);
        r.sim.pull(kSpeed);
        r.after(10);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("ComPort Disconnected!")});
        QVERIFY(!r.w->link());
        QVERIFY(!r.w->portOpen());
        QVERIFY(!r.w->running());
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Open"));
        QCOMPARE(r.text(ids::StartStop), QStringLiteral("Start"));
        for (int reg = 0; reg < RegisterValues::kCount; ++reg) QCOMPARE(r.w->registers().values.at(reg), uint16_t(0));
        // Nothing of the driver that is gone stays on the panel.
        QCOMPARE(r.text(ids::MaxRpmLabel), QStringLiteral("Max. RPM : ____"));
        QCOMPARE(r.text(ids::Stop), QStringLiteral("STOP"));
        QCOMPARE(r.w->chart()->Series().front()->count, 0);
        QCOMPARE(r.get<QComboBox>(ids::ComPortList)->findText(kSpeed), -1);
        r.after(2000);  // the list's own look later finds nothing more to report
        QCOMPARE(r.notes.texts.size(), 1);
    }

    void stopJustAfterAReadThenStartAgain()
    {
        // Stop while an answer is still on the line: it neither fills the reset panel nor
        // spoils the first answer after the next Start.
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(605);  // the busy guard of Start has passed; the read of 600 is being answered
        r.press(ids::StartStop);
        r.after(1000);
        QCOMPARE(r.text(ids::MaxRpmLabel), QStringLiteral("Max. RPM : ____"));
        QCOMPARE(r.text(ids::Stop), QStringLiteral("STOP"));
        r.press(ids::StartStop);
        r.after(2000);
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(r.w->failureCount(), 0);
        QCOMPARE(r.text(ids::MaxRpmLabel), QStringLiteral("Max. RPM : 3000"));
    }

    void simulatedPortPulledAndPluggedByTheOperator()
    {
        Rig r;
        SimulatorControls controls(*r.w, r.sim, {kSpeed, kPosition});
        QCOMPARE(r.w->actions().at(0)->text(), QStringLiteral("Pull out SIM-SPEED"));
        r.start(kSpeed, SpeedControl);
        r.after(600);
        controls.toggle(kSpeed);
        r.after(10);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("ComPort Disconnected!")});
        QCOMPARE(r.w->actions().at(0)->text(), QStringLiteral("Plug in SIM-SPEED"));
        QCOMPARE(r.get<QComboBox>(ids::ComPortList)->findText(kSpeed), -1);
        r.w->actions().at(0)->trigger();
        QCOMPARE(r.get<QComboBox>(ids::ComPortList)->findText(kSpeed), 0);
        QCOMPARE(r.w->actions().at(0)->text(), QStringLiteral("Pull out SIM-SPEED"));
        r.open(kSpeed);
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Ready"));
    }

    void aPortThatWillNotOpenSaysWhyUnderTheMessage_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("reason");
        QTest::newRow("gone") << QByteArray() << "/nonexistent-zentor/ttyUSB7" << "is not there";
        QTest::newRow("baud rate 0") << QByteArray("[Zentor]\nConfig_INI=true\n[COMPORT]\nBaudrate=0\n") << "SIM-SPEED"
                                     << "baud rate 0";
    }
    void aPortThatWillNotOpenSaysWhyUnderTheMessage()
    {
        QFETCH(QByteArray, config);
        QFETCH(QString, port);
        QFETCH(QString, reason);
        Rig r({}, config);
        SystemPortProvider system;  // the machine's own ports serve any device path
        r.ports.fallback = &system;
        r.get<QComboBox>(ids::ComPortList)->setEditText(port);
        r.press(ids::OpenClose);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Check Device or Connected Line")});
        QVERIFY2(r.notes.details.value(0).contains(reason), qPrintable(r.notes.details.value(0)));
        QVERIFY(r.notes.details.value(0).contains(port));
        QVERIFY(!r.w->portOpen());
    }

    void aTypedDevicePathIsAPortInEveryRespect()
    {
        Rig r;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zentor-sim"));
        QFile node(path);
        QVERIFY(node.open(QIODevice::WriteOnly));
        node.close();
        r.ports.addUnlisted(path);
        r.ports.script = [](const QByteArray&) { return std::vector<std::pair<int, QByteArray>>{}; };
        auto* list = r.get<QComboBox>(ids::ComPortList);
        QVERIFY(list->isEditable());
        list->setEditText(path);
        r.press(ids::OpenClose);
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Ready"));
        // Listed while it exists, and shown as the open port.
        QVERIFY(list->findText(path) >= 0);
        QCOMPARE(list->currentText(), path);
        r.after(500);
        // The path goes away: the console handles it as a pulled-out adapter.
        QVERIFY(QFile::remove(path));
        QTRY_COMPARE(r.notes.texts, QStringList{QStringLiteral("ComPort Disconnected!")});
        QVERIFY(!r.w->portOpen());
        QCOMPARE(list->findText(path), -1);
        QCOMPARE(r.text(ids::OpenClose), QStringLiteral("Open"));
    }

    void whatIsTypedSurvivesAPortArriving()
    {
        Rig r;
        auto* list = r.get<QComboBox>(ids::ComPortList);
        list->setEditText(QStringLiteral("/dev/pts/4"));
        r.sim.pull(kPosition);
        r.after(500);
        QCOMPARE(list->findText(kPosition), -1);
        QCOMPARE(list->currentText(), QStringLiteral("/dev/pts/4"));
    }

    void thePortsAreListedOnlyWhenTheyChangeAndNeverWhenAPollIsDue()
    {
        Rig r;
        QCOMPARE(r.ports.listedAt.size(), size_t(1));  // once, at start-up
        r.start(kSpeed, SpeedControl);
        const int64_t started = r.clock.nowMs();
        r.after(3600 * 1000);
        QCOMPARE(r.ports.listedAt.size(), size_t(1));  // an hour of polling: not once more
        r.after(37);
        r.sim.pull(kPosition);  // another adapter goes
        r.after(400);
        QCOMPARE(r.ports.listedAt.size(), size_t(2));
        // Looked at right after a poll tick, with the most time before the next one.
        QCOMPARE((r.ports.listedAt.back() - started) % 150, int64_t(0));
        QCOMPARE(r.get<QComboBox>(ids::ComPortList)->findText(kPosition), -1);
        QVERIFY(r.notes.texts.isEmpty());
    }

    void aClosedOrPulledPortLeavesNothingAwaited_data()
    {
        QTest::addColumn<bool>("pulled");
        QTest::newRow("closed") << false;
        QTest::newRow("pulled out") << true;
    }
    void aClosedOrPulledPortLeavesNothingAwaited()
    {
        QFETCH(bool, pulled);
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);  // a status read has just gone out
        QVERIFY(r.w->awaiting());
        if (pulled) {
            r.sim.pull(kSpeed);
        } else {
            r.press(ids::OpenClose);
        }
        r.after(500);
        QVERIFY(!r.w->portOpen());
        QVERIFY(!r.w->awaiting());
    }

    void theOperatorRaisesAndEndsTheSimulatedDriversAlarm()
    {
        Rig r;
        SimulatorControls controls(*r.w, r.sim, {kSpeed, kPosition});
        QAction* alarm = r.w->actions().at(2);
        QCOMPARE(alarm->text(), QStringLiteral("Raise an alarm on SIM-SPEED"));
        r.start(kSpeed, SpeedControl);
        r.after(600);
        alarm->trigger();
        QCOMPARE(alarm->text(), QStringLiteral("End the alarm of SIM-SPEED"));
        QSet<int> shown;
        for (int i = 0; i < 4; ++i) {
            r.after(300);
            shown << r.w->control(ids::DigitTenThousands)->property("imageId").toInt();
        }
        QVERIFY(shown.contains(ids::art::FaultF));  // the fault pattern blinks
        alarm->trigger();
        QCOMPARE(alarm->text(), QStringLiteral("Raise an alarm on SIM-SPEED"));
        QCOMPARE(r.driver(kSpeed).reg(27), uint16_t(0));
    }

    void stopKeepsThePortAndTheWaitingCommand()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        r.w->pending().address = 3;
        r.w->pending().value = 1;
        r.w->pending().kind = WriteSingle;
        r.press(ids::StartStop);
        QVERIFY(!r.w->running());
        QCOMPARE(r.w->pending().kind, int32_t(WriteSingle));
        QVERIFY(r.w->link());
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Ready"));
        const size_t sent = r.ports.sent.size();
        r.after(2000);
        QCOMPARE(r.ports.sent.size(), sent);
    }
};

QTEST_MAIN(TestConnection)
#include "test_connection.moc"
