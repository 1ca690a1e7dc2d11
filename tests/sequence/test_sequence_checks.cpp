// A checked sequence through the real window, in virtual time against the simulated drivers:
// the verdict of runs that pass, fail and end early, the line with and without expectations,
// the user sequence keeping them, the editor refusing what cannot be read, and the report.

#include "ConfigurationFile.h"
#include "CsvReader.h"
#include "SequenceRig.h"
#include "SimDriver.h"

#include "PdfText.h"

#include <QProcess>
#include <QTemporaryDir>

using namespace zentor;
using namespace zentor::testing;

namespace {

struct Bench {
    explicit Bench(const QString& port = kSpeed, const QByteArray& config = ConfigWithUser({})) : r({}, config), s(r)
    {
        r.open(port);
        opened = s.open();
        s.selectType(port == kSpeed ? SpeedControl : PositionControl);
    }
    // Adds an item with its expectations, as the operator types them.
    void add(const QString& action, const QString& value, const QString& time, const QString& checks)
    {
        s.choose(seqids::NumberList, s.get<QComboBox>(seqids::NumberList)->count() - 1);
        s.chooseText(seqids::ActionList, action);
        if (s.get<QLineEdit>(seqids::ValueEdit)->isEnabled()) s.set(seqids::ValueEdit, value);
        s.set(seqids::TimeEdit, time);
        s.set(seqids::ChecksEdit, checks);
        s.press(seqids::AddChange);
    }
    // START, then the clock runs until the run is over (at most `ms`).
    void play(int64_t ms = 20000)
    {
        r.ports.sent.clear();
        r.notes.texts.clear();
        t0 = r.clock.nowMs();
        s.get<QPushButton>(seqids::StartPause)->click();
        for (int64_t t = 0; t < ms && s.d->runner().state() != RunnerState::Idle; t += 100) r.after(100);
        r.after(500);
    }
    // The checks of every step, "check: measured RESULT" each.
    QStringList checks() const
    {
        QStringList out;
        for (const StepRecord& step : s.d->runner().record().steps)
            for (const CheckResult& c : step.checks) out << ReportCheck(c);
        return out;
    }

    Rig r;
    SeqWindow s;
    bool opened = false;
    int64_t t0 = 0;  // START
};

// A speed run the motor keeps up with: 1800 RPM reached within 0.6 s of the command.
void speedList(Bench& b, const QString& acc = QString())
{
    b.add(QStringLiteral("ENABLE-RUN"), {}, QStringLiteral("0.5"), QStringLiteral("run = ON; alarm = 0"));
    b.add(QStringLiteral("BRAKE-OFF"), {}, QStringLiteral("0.5"), QStringLiteral("brake = OFF"));
    if (!acc.isEmpty()) {
        b.add(QStringLiteral("SET : ACC"), acc, QStringLiteral("0.5"), {});
        b.add(QStringLiteral("SET : APPLY-SETTING"), {}, QStringLiteral("0.5"), {});
    }
    b.add(QStringLiteral("SPEED-INPUT"), QStringLiteral("1800"), QStringLiteral("2"),
          QStringLiteral("rpm \u00B15%; current <= 3"));
    b.add(QStringLiteral("SPEED-INPUT"), QStringLiteral("0"), QStringLiteral("1.5"), QStringLiteral("rpm <= 5"));
}


}  // namespace

class TestSequenceChecks : public QObject {
    Q_OBJECT
private slots:
    void speedRunPassesAndIsReported()
    {
        Bench b;
        QVERIFY(b.opened);
        speedList(b);
        QCOMPARE(b.s.cell(2, 6), QStringLiteral("rpm \u00B15%; current <= 3"));
        b.s.set(seqids::UnitEdit, QStringLiteral("SN 0042"));
        QVERIFY(!b.s.enabled(seqids::Report));
        b.play();
        QCOMPARE(b.r.notes.texts, QStringList{kSequenceEndMessage});
        QCOMPARE(b.checks(), (QStringList{"run = ON: ON PASS", "alarm = 0: 0 PASS", "brake = OFF: OFF PASS",
                                          "rpm \u00B15%: 1800 PASS", "current <= 3: 0.70 A PASS", "rpm <= 5: 0 PASS"}));
        QCOMPARE(b.s.text(seqids::Verdict), QStringLiteral("PASS"));
        QVERIFY(b.s.enabled(seqids::Report));

        QTemporaryDir dir;
        b.r.saveAs = dir.filePath(QStringLiteral("unit.csv"));
        b.s.press(seqids::Report);
        QCOMPARE(b.r.saveTitles, QStringList{"Save Test Report"});
        QVERIFY2(b.r.saveProposals.value(0).startsWith(QStringLiteral("SequenceReport_SN_0042_")), qPrintable(b.r.saveProposals.value(0)));
        QFile csvFile(b.r.saveAs);
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        QList<QStringList> rows;
        QVERIFY(ReadCsv(QString::fromUtf8(csvFile.readAll()), rows));
        QCOMPARE(rows.value(0), (QStringList{"Title", "Sequence Test Report"}));
        QCOMPARE(rows.value(2), (QStringList{"Console version", "0.1"}));
        QCOMPARE(rows.value(3), (QStringList{"Port", "SIM-SPEED"}));
        QCOMPARE(rows.value(4), (QStringList{"Baud rate", "115200"}));
        QCOMPARE(rows.value(5), (QStringList{"Slave address", "100"}));
        QCOMPARE(rows.value(6), (QStringList{"Control type", "Speed Control"}));
        QCOMPARE(rows.value(7), (QStringList{"Driver identity", "ID : 100 (0x64)"}));
        QCOMPARE(rows.value(8), (QStringList{"Unit", "SN 0042"}));
        QCOMPARE(rows.value(9), (QStringList{"Sequence section", "(new list, not saved)"}));
        QCOMPARE(rows.value(10), (QStringList{"SET", "1,4,1,Speed"}));
        QCOMPARE(rows.value(11), (QStringList{"Checks", "6 of 6 passed, 0 failed, 0 incomplete"}));
        QCOMPARE(rows.mid(13, 7),
                 (QList<QStringList>{
                     {"ms", "step", "item", "line", "command", "answer", "check", "measured", "result"},
                     {"0", "1", "1", "ENABLE-RUN,-,0.5,1", "register 3 = 1 (function 06)", "applied", "run = ON", "ON", "PASS"},
                     {"0", "1", "1", "ENABLE-RUN,-,0.5,1", "register 3 = 1 (function 06)", "applied", "alarm = 0", "0", "PASS"},
                     {"600", "2", "2", "BRAKE-OFF,-,0.5,1", "register 4 = 0 (function 06)", "applied", "brake = OFF", "OFF", "PASS"},
                     {"1200", "3", "3", "SPEED-INPUT,1800,2,1", "register 1 = 1800 (function 06)", "applied", "rpm \u00B15%", "1800", "PASS"},
                     {"1200", "3", "3", "SPEED-INPUT,1800,2,1", "register 1 = 1800 (function 06)", "applied", "current <= 3", "0.70 A", "PASS"},
                     {"3300", "4", "4", "SPEED-INPUT,0,1.5,1", "register 1 = 0 (function 06)", "applied", "rpm <= 5", "0", "PASS"},
                 }));
        QCOMPARE(rows.value(21), (QStringList{"Verdict", "PASS"}));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d\\d:\\d\\d$"))
                    .match(rows.value(1).value(1)).hasMatch());

        b.r.saveAs = dir.filePath(QStringLiteral("unit.pdf"));
        b.s.press(seqids::Report);
        ZENTOR_PDF_TEXT(text, b.r.saveAs, {QStringLiteral("-layout")});
        QStringList lines;
        for (const QString& l : text.split(QLatin1Char('\n'))) lines << l.simplified();
        for (const char* want : {"Sequence Test Report", "Port: SIM-SPEED", "Baud rate: 115200", "Slave address: 100",
                                 "Control type: Speed Control", "Driver identity: ID : 100 (0x64)", "Unit: SN 0042",
                                 "SET: 1,4,1,Speed",
                                 "0 ms step 1 item 1 ENABLE-RUN,-,0.5,1 register 3 = 1 (function 06): applied",
                                 "600 ms step 2 item 2 BRAKE-OFF,-,0.5,1 register 4 = 0 (function 06): applied",
                                 "1200 ms step 3 item 3 SPEED-INPUT,1800,2,1 register 1 = 1800 (function 06): applied",
                                 "3300 ms step 4 item 4 SPEED-INPUT,0,1.5,1 register 1 = 0 (function 06): applied",
                                 "rpm \u00B15%: 1800 PASS", "current <= 3: 0.70 A PASS", "rpm <= 5: 0 PASS",
                                 "Verdict: PASS"})
            QVERIFY2(lines.contains(QString::fromUtf8(want)), qPrintable(QString::fromUtf8(want) + " not in:\n" + text));
    }

    // The acceleration set to 5 s just before the speed command: 1800 RPM is not reached in time.
    void slowAccelerationFailsTheRpmCheck()
    {
        Bench b;
        speedList(b, QStringLiteral("5"));
        b.play();
        const QStringList checks = b.checks();
        // 2 s of a ramp of 3000 RPM in 5 s: about 1200 RPM, behind the rotor's lag.
        QCOMPARE(checks, (QStringList{"run = ON: ON PASS", "alarm = 0: 0 PASS", "brake = OFF: OFF PASS",
                                      "rpm \u00B15%: 1189 FAIL", "current <= 3: 1.50 A PASS", "rpm <= 5: 0 PASS"}));
        QCOMPARE(b.s.text(seqids::Verdict), QStringLiteral("FAIL (1)"));
    }

    void alarmMidRunFails()
    {
        Bench b;
        b.add(QStringLiteral("ENABLE-RUN"), {}, QStringLiteral("1"), QStringLiteral("alarm = 0"));
        b.add(QStringLiteral("SPEED-INPUT"), QStringLiteral("600"), QStringLiteral("1"), QStringLiteral("alarm = 0"));
        b.r.ports.sent.clear();
        b.s.get<QPushButton>(seqids::StartPause)->click();
        b.r.after(1550);  // item 2 went at 1100
        QVERIFY(b.r.driver(kSpeed).raiseAlarm(7));
        b.r.after(3000);
        QCOMPARE(b.checks(), (QStringList{"alarm = 0: 0 PASS", "alarm = 0: 7 FAIL"}));
        QCOMPARE(b.s.text(seqids::Verdict), QStringLiteral("FAIL (1)"));
    }

    void pulledPortLeavesTheRunIncomplete()
    {
        Bench b;
        speedList(b);
        b.s.get<QPushButton>(seqids::StartPause)->click();
        b.r.after(1450);
        b.r.sim.pull(kSpeed);
        b.r.after(500);
        QCOMPARE(b.s.d->runner().state(), RunnerState::Idle);
        QCOMPARE(b.checks(), (QStringList{"run = ON: ON PASS", "alarm = 0: 0 PASS", "brake = OFF: OFF PASS",
                                          "rpm \u00B15%: INCOMPLETE", "current <= 3: INCOMPLETE"}));
        QCOMPARE(b.s.text(seqids::Verdict), QStringLiteral("INCOMPLETE"));
        QVERIFY(b.s.enabled(seqids::Report));
    }

    // Check reads that get no answer count as the run's failures: the second ends it.
    void unansweredCheckReadsEndTheRun()
    {
        Bench b;
        b.add(QStringLiteral("ENABLE-RUN"), {}, QStringLiteral("0.5"), QStringLiteral("run = ON"));
        b.add(QStringLiteral("BRAKE-OFF"), {}, QStringLiteral("0.5"), QStringLiteral("brake = OFF"));
        b.add(QStringLiteral("DIR-CW"), {}, QStringLiteral("0.5"), {});
        b.r.driver(kSpeed).faults().silent = true;
        b.play();
        QCOMPARE(b.r.notes.texts, QStringList{"Check Device or Connected Line"});
        QCOMPARE(b.checks(), (QStringList{"run = ON: INCOMPLETE", "brake = OFF: INCOMPLETE"}));
        QCOMPARE(b.s.text(seqids::Verdict), QStringLiteral("INCOMPLETE"));
        QCOMPARE(Writes(b.r).size(), size_t(2));  // item 3 never went
    }

    void positionRun()
    {
        Bench b(kPosition);
        b.add(QStringLiteral("BRAKE-OFF"), {}, QStringLiteral("0.5"), {});
        b.add(QStringLiteral("SPEED-INPUT"), QStringLiteral("1000"), QStringLiteral("0.5"), {});
        b.add(QStringLiteral("POSITION-INPUT"), QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("position +-2; reset = LOW"));
        b.add(QStringLiteral("POSITION-INPUT"), QStringLiteral("-50"), QStringLiteral("1"), QStringLiteral("position \u00B12"));
        b.play();
        QCOMPARE(b.checks(), (QStringList{"position +-2: 100 PASS", "reset = LOW: LOW PASS", "position \u00B12: -50 PASS"}));
        QCOMPARE(b.s.text(seqids::Verdict), QStringLiteral("PASS"));
    }

    // The line with and without expectations: the same writes at the same times, and only the
    // checked items add a status read each, at the last tick before the next item.
    void framesOnTheLine()
    {
        auto line = [](bool checked) {
            Bench b;
            b.add(QStringLiteral("ENABLE-RUN"), {}, QStringLiteral("0.5"), checked ? QStringLiteral("run = ON") : QString());
            b.add(QStringLiteral("SPEED-INPUT"), QStringLiteral("900"), QStringLiteral("1"), {});
            b.add(QStringLiteral("ENABLE-STOP"), {}, QStringLiteral("0.3"), checked ? QStringLiteral("run = OFF") : QString());
            b.play();
            QStringList out;
            for (const Sent& s : b.r.ports.sent) out << QStringLiteral("%1 %2").arg(s.at - b.t0).arg(QString::fromLatin1(s.frame.toHex()));
            return out;
        };
        // Run at 0, speed 900 at 600, stop at 1700, with their checksums.
        QCOMPARE(line(false), (QStringList{"0 640600030001b1ff", "600 640600010384d16c", "1700 640600030000703f"}));
        // The status read of the speed layout (34 registers from 0) at 500 and 2000: the
        // last ticks before the items after the checked ones are due.
        QCOMPARE(line(true), (QStringList{"0 640600030001b1ff", "500 640300000022cc26", "600 640600010384d16c",
                                          "1700 640600030000703f", "2000 640300000022cc26"}));
    }

    void editorRefusesWhatItCannotRead()
    {
        Bench b;
        b.add(QStringLiteral("DIR-CW"), {}, QStringLiteral("0.5"), QStringLiteral("rpm +-5%"));
        QCOMPARE(b.r.notes.last(), QStringLiteral("Expectations \"rpm +-5%\": a tolerance is taken around what the item "
                                                  "commands: it needs a SPEED-INPUT item"));
        QCOMPARE(b.s.rows(), 0);
        QCOMPARE(b.s.text(seqids::ChecksEdit), QStringLiteral("rpm +-5%"));
        b.add(QStringLiteral("DIR-CW"), {}, QStringLiteral("0.5"), QStringLiteral("direction = CW"));
        QCOMPARE(b.s.rows(), 1);
        // The row's expectations come back into the box with the row.
        b.s.choose(seqids::NumberList, 0);
        QCOMPARE(b.s.text(seqids::ChecksEdit), QStringLiteral("direction = CW"));
        QCOMPARE(b.s.text(seqids::AddChange), QStringLiteral("CHANGE"));
    }

    // Save User keeps the expectations beside the list, in a section of their own; Load User
    // brings them back. A file the described console wrote loads as it always did.
    void userSequenceKeepsTheExpectations()
    {
        Bench b;
        b.add(QStringLiteral("SPEED-INPUT"), QStringLiteral("1500"), QStringLiteral("1"), QStringLiteral("rpm \u00B12%"));
        b.add(QStringLiteral("DIR-CW"), {}, QStringLiteral("0.5"), {});
        b.s.press(seqids::SaveUser);
        QFile f(b.r.configPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.endsWith("[SEQ_TEST_USR]\nSET=1,2,1,Speed\n1=SPEED-INPUT,1500,1,1\n2=DIR-CW,-,0.5,1\n\n"
                               "[SEQ_TEST_USR_CHECK]\nFOR=" +
                               UserSequenceFingerprint(b.r.w->stores().userSequence, 2).toLatin1() + "\n1=rpm +-2%\n2=\n"),
                 text.constData());
        b.s.choose(seqids::NumberList, 0);
        b.s.press(seqids::Delete);
        b.s.press(seqids::LoadUser);
        QCOMPARE(b.s.rows(), 2);
        QCOMPARE(b.s.cell(0, 6), QStringLiteral("rpm +-2%"));
        QCOMPARE(b.s.cell(1, 6), QString());

        Bench old(kSpeed, ConfigWithUser({"1,2,1,Speed", "SPEED-INPUT,1500,1,1", "DIR-CW,-,0.5,1"}));
        old.s.press(seqids::LoadUser);
        QCOMPARE(old.s.rows(), 2);
        QCOMPARE(old.s.cell(0, 6), QString());
        QCOMPARE(old.r.notes.texts, QStringList());
    }

    void newControlsInTheirPlaces()
    {
        Bench b;
        QCOMPARE(accessibilityProblems(b.s.d), QStringList());
        QCOMPARE(b.s.get<QTableWidget>(seqids::ItemList)->horizontalHeaderItem(6)->text(), QStringLiteral("Checks"));
        QCOMPARE(b.s.d->control(seqids::ChecksEdit)->parentWidget(), b.s.d->control(seqids::EditGroup));
        QCOMPARE(b.s.get<QPushButton>(seqids::Report)->text(), QStringLiteral("Report..."));
    }
};

QTEST_MAIN(TestSequenceChecks)
#include "test_sequence_checks.moc"
