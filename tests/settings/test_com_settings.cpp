// The communication settings window through "COM Config." on the real main window: its states,
// the ID fields, the PC-side and device-side IDs, ID Check, the baud rate with its file entry
// and its effect on the next open, Close COM Port and STOP Control Motor.

#include "ComConfigDlg.h"
#include "IniProfile.h"
#include "PanelColours.h"
#include "SettingsRig.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>

using namespace zentor;
using namespace zentor::settings;
using namespace zentor::settings::com_ids;
using namespace zentor::testing;

namespace {

DLG_COM_CONFIG* openCom(Rig& r) { return openWindow<DLG_COM_CONFIG>(r, ids::ComConfig); }

const std::initializer_list<int> kPcGroup = {PcCurrentId, PcIdEdit, PcIdEcho, PcIdChange};
const std::initializer_list<int> kDeviceGroup = {DeviceCurrentId, IdCheck, DeviceIdEdit, DeviceIdEcho, DeviceIdChange};
const std::initializer_list<int> kBaudGroup = {ComSetting, BaudList, BaudChange};

void chooseRate(DLG_COM_CONFIG* d, const QString& rate)
{
    auto* list = d->controlAs<QComboBox>(BaudList);
    list->setCurrentIndex(list->findText(rate));
}

QString storedBaud(Rig& r) { return IniProfile(r.configPath()).read(QStringLiteral("COMPORT"), QStringLiteral("Baudrate")); }

}  // namespace

class TestComSettings : public QObject {
    Q_OBJECT
private slots:
    void enablingFollowsTheMainWindow_data()
    {
        QTest::addColumn<int>("state");  // 0 port closed, 1 open and stopped, 2 running
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("pc");
        QTest::addColumn<bool>("device");
        QTest::addColumn<bool>("baud");
        QTest::newRow("port closed") << 0 << "  [Change] Com. ID in PC / COM Port Baudrate" << true << false << true;
        QTest::newRow("stopped") << 1 << "  [Change] Com. ID in PC / Com. ID in DEVICE" << true << true << false;
        QTest::newRow("running") << 2 << "  [STOP] Control Motor" << false << false << false;
    }
    void enablingFollowsTheMainWindow()
    {
        QFETCH(int, state);
        QFETCH(bool, pc);
        QFETCH(bool, device);
        QFETCH(bool, baud);
        Rig r;
        if (state == 1) r.open(kSpeed);
        if (state == 2) {
            r.start(kSpeed, SpeedControl);
            r.after(600);
        }
        DLG_COM_CONFIG* d = openCom(r);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Communication Setting Configuration"));
        QTEST(textOf(d, Status), "status");
        for (int id : kPcGroup) QVERIFY2(d->control(id)->isEnabled() == pc, qPrintable(QString::number(id)));
        for (int id : kDeviceGroup) QVERIFY2(d->control(id)->isEnabled() == device, qPrintable(QString::number(id)));
        for (int id : kBaudGroup) QVERIFY2(d->control(id)->isEnabled() == baud, qPrintable(QString::number(id)));
        for (int id : {StopControlMotor, CloseComPort, Exit}) QVERIFY(d->control(id)->isEnabled());

        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("100 (0x64)"));
        QCOMPARE(textOf(d, DeviceCurrentId), QStringLiteral("___ (0x__)"));
        QCOMPARE(textOf(d, PcIdEcho), QStringLiteral("(0x__)"));
        QCOMPARE(textOf(d, DeviceIdEcho), QStringLiteral("(0x__)"));
        QCOMPARE(textOf(d, ComSetting), QStringLiteral("115200 / 8 / None / 1 / None"));
        auto* rates = d->controlAs<QComboBox>(BaudList);
        QStringList offered;
        for (int i = 0; i < rates->count(); ++i) offered << rates->itemText(i);
        QCOMPARE(offered, (QStringList{"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"}));
        QCOMPARE(rates->currentText(), QStringLiteral("115200"));
        QCOMPARE(accessibilityProblems(d), QStringList());
        QVERIFY(paintedWith(d->control(Status), {panel::kStatusBlue, QColor(Qt::white)}));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void idFields_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<int>("echo");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("echoed");
        for (auto [edit, echo, name] : {std::tuple{int(PcIdEdit), int(PcIdEcho), "pc"},
                                        std::tuple{int(DeviceIdEdit), int(DeviceIdEcho), "device"}}) {
            auto row = [&](const char* what) -> QTestData& {
                return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(name), QLatin1String(what))));
            };
            row("254") << edit << echo << "254" << "254" << "(0xFE)";
            row("255") << edit << echo << "255" << "" << "(0x__)";
            row("25") << edit << echo << "25" << "25" << "(0x19)";
            row("a letter") << edit << echo << "1a" << "" << "(0x__)";
            row("a fourth character") << edit << echo << "1234" << "123" << "(0x7B)";
            row("a minus") << edit << echo << "-1" << "1" << "(0x01)";
        }
    }
    void idFields()
    {
        QFETCH(int, edit);
        QFETCH(int, echo);
        QFETCH(QString, typed);
        Rig r;
        r.open(kSpeed);
        DLG_COM_CONFIG* d = openCom(r);
        typeInto(d, edit, typed);
        QTEST(textOf(d, edit), "left");
        QTEST(textOf(d, echo), "echoed");
        QVERIFY(r.notes.texts.isEmpty());
    }

    void anEmptiedFieldEchoesZero()
    {
        Rig r;
        DLG_COM_CONFIG* d = openCom(r);
        typeInto(d, PcIdEdit, QStringLiteral("7"));
        QTest::keyClick(d->control(PcIdEdit), Qt::Key_Backspace);
        QCOMPARE(textOf(d, PcIdEdit), QString());
        QCOMPARE(textOf(d, PcIdEcho), QStringLiteral("(0x00)"));
    }

    void pcSideIdChangeSendsNothing()
    {
        Rig r;
        r.open(kSpeed);
        DLG_COM_CONFIG* d = openCom(r);
        r.ports.sent.clear();
        typeInto(d, PcIdEdit, QStringLiteral("5"));
        click(d, PcIdChange);
        QVERIFY(r.ports.sent.empty());
        QCOMPARE(r.w->slaveAddress(), 5);
        QCOMPARE(r.text(ids::IdLabel), QStringLiteral("ID : 5 (0x05)"));
        r.after(199);
        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("100 (0x64)"));
        r.after(1);
        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("5 (0x05)"));
        QCOMPARE(textOf(d, PcIdEdit), QString());
        QVERIFY(r.ports.sent.empty());
        QVERIFY(r.notes.texts.isEmpty());
    }

    void idChangeWithNoIdDoesNothing_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("typed");
        QTest::newRow("pc, empty") << int(PcIdEdit) << int(PcIdChange) << "";
        QTest::newRow("pc, 0") << int(PcIdEdit) << int(PcIdChange) << "0";
        QTest::newRow("pc, 000") << int(PcIdEdit) << int(PcIdChange) << "000";
        QTest::newRow("device, empty") << int(DeviceIdEdit) << int(DeviceIdChange) << "";
        QTest::newRow("device, 0") << int(DeviceIdEdit) << int(DeviceIdChange) << "0";
    }
    void idChangeWithNoIdDoesNothing()
    {
        QFETCH(int, edit);
        QFETCH(int, change);
        QFETCH(QString, typed);
        Rig r;
        r.open(kSpeed);
        DLG_COM_CONFIG* d = openCom(r);
        r.ports.sent.clear();
        typeInto(d, edit, typed);
        click(d, change);
        QVERIFY(r.ports.sent.empty());
        QCOMPARE(r.w->slaveAddress(), 100);
        QVERIFY(!d->scheduler().isRunning(SettingsDialog::ReplyTimer));
    }

    void idCheckAdoptsTheDriversAddress()
    {
        Rig r;
        r.sim.addPort(QStringLiteral("SIM-AT-7"), SpeedControl, 7);
        r.w->CheckPorts();
        r.open(QStringLiteral("SIM-AT-7"));
        DLG_COM_CONFIG* d = openCom(r);
        r.ports.sent.clear();
        click(d, IdCheck);
        QCOMPARE(r.ports.sent.size(), size_t(1));
        QCOMPARE(r.ports.sent[0].frame, frameOf("00030000000185DB"));
        r.after(200);
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(r.w->slaveAddress(), 7);
        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("7 (0x07)"));
        QCOMPARE(textOf(d, DeviceCurrentId), QStringLiteral("7 (0x07)"));
        QCOMPARE(r.text(ids::IdLabel), QStringLiteral("ID : 7 (0x07)"));

        // The next opening has confirmed nothing yet.
        click(d, Exit);
        QCOMPARE(openCom(r), d);
        QCOMPARE(textOf(d, DeviceCurrentId), QStringLiteral("___ (0x__)"));
        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("7 (0x07)"));
    }

    void deviceSideIdChangeAndPollingAtTheNewAddress()
    {
        Rig r;
        r.selectType(SpeedControl);
        r.open(kSpeed);
        DLG_COM_CONFIG* d = openCom(r);
        r.ports.sent.clear();
        typeInto(d, DeviceIdEdit, QStringLiteral("9"));
        QCOMPARE(textOf(d, DeviceIdEcho), QStringLiteral("(0x09)"));
        click(d, DeviceIdChange);
        QCOMPARE(r.ports.sent.size(), size_t(1));
        QCOMPARE(r.ports.sent[0].frame, frameOf("6406F00000097339"));
        r.after(200);
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(r.driver(kSpeed).slaveAddress(), 9);
        QCOMPARE(r.w->slaveAddress(), 9);
        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("9 (0x09)"));
        QCOMPARE(textOf(d, DeviceCurrentId), QStringLiteral("9 (0x09)"));
        QCOMPARE(r.text(ids::IdLabel), QStringLiteral("ID : 9 (0x09)"));

        click(d, Exit);
        r.ports.sent.clear();
        r.press(ids::StartStop);
        r.after(3000);
        QVERIFY(r.w->running());
        QVERIFY(r.notes.texts.isEmpty());
        const std::vector<Sent> reads = r.sentWith(3);
        QVERIFY(reads.size() >= 9);
        for (const Sent& s : reads) QCOMPARE(uint8_t(s.frame[0]), uint8_t(9));
        QCOMPARE(r.w->failureCount(), 0);
    }

    void aSilentDriverKeepsTheAddress()
    {
        Rig r;
        r.open(kSpeed);
        DLG_COM_CONFIG* d = openCom(r);
        r.driver(kSpeed).faults().silent = true;
        typeInto(d, DeviceIdEdit, QStringLiteral("9"));
        click(d, DeviceIdChange);
        r.after(200);
        QCOMPARE(r.notes.texts, QStringList{"Check Device or Connected Line"});
        QCOMPARE(r.w->slaveAddress(), 100);
        QCOMPARE(textOf(d, DeviceCurrentId), QStringLiteral("___ (0x__)"));
        QVERIFY(!r.w->awaiting());
    }

    void baudRateChangeIsStoredAndUsedByTheNextOpen_data()
    {
        QTest::addColumn<int>("driverRate");
        QTest::addColumn<bool>("answered");
        QTest::newRow("a driver at 115200") << 115200 << false;
        QTest::newRow("a driver at 9600") << 9600 << true;
    }
    void baudRateChangeIsStoredAndUsedByTheNextOpen()
    {
        QFETCH(int, driverRate);
        QFETCH(bool, answered);
        Rig r;
        r.sim.addPort(QStringLiteral("SIM-LINE"), SpeedControl, 100, driverRate);
        r.w->CheckPorts();
        DLG_COM_CONFIG* d = openCom(r);
        chooseRate(d, QStringLiteral("9600"));
        click(d, BaudChange);
        QCOMPARE(r.w->configuredBaud(), 9600);
        QCOMPARE(storedBaud(r), QStringLiteral("9600"));
        r.after(199);
        QCOMPARE(textOf(d, ComSetting), QStringLiteral("115200 / 8 / None / 1 / None"));
        r.after(1);
        QCOMPARE(textOf(d, ComSetting), QStringLiteral("9600 / 8 / None / 1 / None"));
        QVERIFY(r.notes.texts.isEmpty());
        click(d, Exit);

        r.selectType(SpeedControl);
        r.open(QStringLiteral("SIM-LINE"));
        QVERIFY(r.w->portOpen());
        r.press(ids::StartStop);
        r.after(1000);
        QCOMPARE(r.notes.texts, answered ? QStringList() : QStringList{"Check Device or Connected Line"});
        QCOMPARE(r.w->running(), answered);
    }

    void aRateNotOfferedLeavesTheChoiceAlone()
    {
        Rig r({}, "[Zentor]\nConfig_INI=true\n[COMPORT]\nBaudrate=1200\n");
        QCOMPARE(r.w->configuredBaud(), 1200);
        DLG_COM_CONFIG* d = openCom(r);
        QCOMPARE(textOf(d, ComSetting), QStringLiteral("1200 / 8 / None / 1 / None"));
        auto* rates = d->controlAs<QComboBox>(BaudList);
        QCOMPARE(rates->currentIndex(), -1);
        // Without a chosen rate Change changes nothing.
        click(d, BaudChange);
        QCOMPARE(r.w->configuredBaud(), 1200);
        QCOMPARE(storedBaud(r), QStringLiteral("1200"));
        QVERIFY(!d->scheduler().isRunning(SettingsDialog::ReplyTimer));
        // A rate chosen but not yet changed stays chosen through a refresh.
        r.after(500);
        chooseRate(d, QStringLiteral("4800"));
        typeInto(d, PcIdEdit, QStringLiteral("5"));
        click(d, PcIdChange);
        r.after(200);
        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("5 (0x05)"));
        QCOMPARE(rates->currentText(), QStringLiteral("4800"));
        QCOMPARE(textOf(d, ComSetting), QStringLiteral("1200 / 8 / None / 1 / None"));
    }

    void aFailedFileWriteIsReported()
    {
        Rig r;
        DLG_COM_CONFIG* d = openCom(r);
        // The configuration folder turns into a plain file: nothing can be written under it.
        const QString folder = r.config.path();
        QVERIFY(r.config.remove());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto cleanup = qScopeGuard([&] { QFile::remove(folder); });

        chooseRate(d, QStringLiteral("9600"));
        click(d, BaudChange);
        QCOMPARE(r.w->configuredBaud(), 9600);  // for this run
        QCOMPARE(r.notes.texts.size(), 1);
        const QString message = r.notes.texts[0];
        QVERIFY2(message.contains(QStringLiteral("9600")), qPrintable(message));
        QVERIFY2(message.contains(r.configPath()), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("could not be stored")), qPrintable(message));
        // The system's reason follows the file's name.
        QVERIFY2(!message.section(r.configPath(), -1).remove(QLatin1Char(':')).trimmed().isEmpty(), qPrintable(message));
        r.after(200);
        QCOMPARE(textOf(d, ComSetting), QStringLiteral("9600 / 8 / None / 1 / None"));
    }

    void closeComPortAndStopControlMotor()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        DLG_COM_CONFIG* d = openCom(r);
        click(d, StopControlMotor);
        QVERIFY(!r.w->running());
        r.after(200);
        QCOMPARE(textOf(d, Status), QStringLiteral("  [Change] Com. ID in PC / Com. ID in DEVICE"));
        QVERIFY(d->control(IdCheck)->isEnabled());
        r.after(300);
        click(d, CloseComPort);
        r.after(200);
        QVERIFY(!r.w->portOpen());
        QCOMPARE(textOf(d, Status), QStringLiteral("  [Change] Com. ID in PC / COM Port Baudrate"));
        QVERIFY(d->control(BaudChange)->isEnabled());
        QVERIFY(!d->control(IdCheck)->isEnabled());
        QVERIFY(r.notes.texts.isEmpty());
        // Closed already: nothing more happens.
        r.after(500);
        click(d, CloseComPort);
        QVERIFY(!d->scheduler().isRunning(SettingsDialog::ReplyTimer));
    }

    void anAnswerAwaitedFromBeforeIsNotThisWindows()
    {
        Rig r;
        r.open(kSpeed);
        // A sequence step the silent driver never answered: the main window still awaits it
        // when the window opens.
        r.driver(kSpeed).faults().silent = true;
        r.w->SendSequenceCommand(SequenceCommand{WriteRegister, 3, 1});
        r.after(1000);
        QVERIFY(r.w->awaiting());
        DLG_COM_CONFIG* d = openCom(r);
        typeInto(d, PcIdEdit, QStringLiteral("5"));
        click(d, PcIdChange);
        r.after(200);
        // The ID Change sent nothing: the older missing answer is not its failure.
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(textOf(d, PcCurrentId), QStringLiteral("5 (0x05)"));
        QVERIFY(r.w->portOpen());
        // ID Check sends: a missing answer to it is.
        r.after(300);
        click(d, IdCheck);
        r.after(200);
        QCOMPARE(r.notes.texts, QStringList{"Check Device or Connected Line"});
    }

    void aPortClosedWithARequestOnItsWayTakesItAlong()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.driver(kSpeed).faults().silent = true;
        r.after(500);
        r.press(ids::OpenClose);  // closed while a status read is on its way
        r.after(100);
        QVERIFY(!r.w->portOpen());
        QVERIFY(!r.w->awaiting());
        DLG_COM_CONFIG* d = openCom(r);
        chooseRate(d, QStringLiteral("9600"));
        click(d, BaudChange);
        r.after(200);
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(textOf(d, ComSetting), QStringLiteral("9600 / 8 / None / 1 / None"));
    }

    // The rate box is a drop-down list that also takes typed text; Change takes a rate of the
    // list only, chosen or typed.
    void theRateBoxTakesTypedText_data()
    {
        QTest::addColumn<QString>("chosen");  // chosen from the list first, empty for none
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rate");        // the configured rate afterwards
        QTest::addColumn<QString>("stored");
        QTest::newRow("a rate of the list typed") << "" << "9600" << 9600 << "9600";
        QTest::newRow("typed over a chosen rate") << "57600" << "4800" << 4800 << "4800";
        QTest::newRow("a rate the list lacks") << "57600" << "1200" << 115200 << "115200";
        QTest::newRow("not a number") << "" << "fast" << 115200 << "115200";
    }
    void theRateBoxTakesTypedText()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, typed);
        QFETCH(int, rate);
        QFETCH(QString, stored);
        Rig r;
        DLG_COM_CONFIG* d = openCom(r);
        auto* rates = d->controlAs<QComboBox>(BaudList);
        QVERIFY(rates->isEditable());
        // Named by its caption, as is the edit inside it (Qt tells a Linux screen reader the
        // box's text as the box's name).
        QCOMPARE(rates->accessibleName(), QStringLiteral("Baudrate"));
        QCOMPARE(accessibleName(rates->lineEdit()), QStringLiteral("Baudrate"));
        if (!chosen.isEmpty()) chooseRate(d, chosen);
        rates->lineEdit()->clear();
        QTest::keyClicks(rates->lineEdit(), typed);
        QCOMPARE(rates->currentText(), typed);
        click(d, BaudChange);
        QCOMPARE(r.w->configuredBaud(), rate);
        QCOMPARE(storedBaud(r), stored);
        QCOMPARE(d->scheduler().isRunning(SettingsDialog::ReplyTimer), rate != 115200);
        // What is typed becomes no entry of the list.
        QCOMPARE(rates->count(), 8);
        QVERIFY(r.notes.texts.isEmpty());
    }

    void removingThePortRefreshesTheWindow()
    {
        Rig r;
        r.open(kSpeed);
        DLG_COM_CONFIG* d = openCom(r);
        QVERIFY(d->control(IdCheck)->isEnabled());
        r.sim.pull(kSpeed);
        r.after(600);
        QCOMPARE(r.notes.texts, QStringList{"ComPort Disconnected!"});
        QCOMPARE(textOf(d, Status), QStringLiteral("  [Change] Com. ID in PC / COM Port Baudrate"));
        QVERIFY(!d->control(IdCheck)->isEnabled());
    }

    void busyGuard()
    {
        Rig r;
        DLG_COM_CONFIG* d = openCom(r);
        typeInto(d, PcIdEdit, QStringLiteral("5"));
        click(d, PcIdChange);
        r.after(100);
        typeInto(d, PcIdEdit, QStringLiteral("6"));
        click(d, PcIdChange);
        QCOMPARE(r.w->slaveAddress(), 5);
        r.after(400);
        QCOMPARE(textOf(d, PcIdEdit), QString());  // emptied by the refresh at 200 ms
        typeInto(d, PcIdEdit, QStringLiteral("6"));
        click(d, PcIdChange);
        QCOMPARE(r.w->slaveAddress(), 6);
    }
};

QTEST_MAIN(TestComSettings)
#include "test_com_settings.moc"
