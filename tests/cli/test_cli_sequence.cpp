// zentor-cli's sequences in virtual time against the simulated drivers: the presets played with
// the console's runner (when each step goes, what it sends, what the driver ends with), lists
// refused at START, missed and refused answers, a run stopped from outside, the listing, and
// where the configuration file is found without anything being written.

#include "CliSequence.h"
#include "ConfigurationFile.h"
#include "SimPort.h"
#include "VirtualClock.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using namespace zentor;
using namespace zentor::cli;

namespace {

struct Write {
    int64_t at;
    QByteArray frame;
};

// A simulated driver's port whose writes are logged with their time.
class RecordingDevice final : public SerialDevice {
public:
    RecordingDevice(std::unique_ptr<SerialDevice> inner, Clock& clock, std::vector<Write>& log)
        : inner_(std::move(inner)), clock_(clock), log_(log)
    {
        inner_->onReceived = [this](const QByteArray& b) { if (onReceived) onReceived(b); };
        inner_->onFailed = [this] { if (onFailed) onFailed(); };
    }
    bool open(int baudRate) override { return inner_->open(baudRate); }
    int64_t write(const uint8_t* data, int64_t count, int timeoutMs) override
    {
        log_.push_back({clock_.nowMs(), QByteArray(reinterpret_cast<const char*>(data), int(count))});
        return inner_->write(data, count, timeoutMs);
    }
    void purge() override { inner_->purge(); }
    void close() override { inner_->close(); }

private:
    std::unique_ptr<SerialDevice> inner_;
    Clock& clock_;
    std::vector<Write>& log_;
};

class RecordingPorts final : public PortProvider {
public:
    RecordingPorts(Clock& clock, sim::SimPortProvider& sims) : clock_(clock), sims_(sims) {}
    QStringList ports() const override { return sims_.ports(); }
    std::unique_ptr<SerialDevice> create(const QString& name) override
    {
        auto inner = sims_.create(name);
        if (!inner) return nullptr;
        return std::make_unique<RecordingDevice>(std::move(inner), clock_, writes);
    }
    std::vector<Write> writes;

private:
    Clock& clock_;
    sim::SimPortProvider& sims_;
};

QByteArray single(int reg, int value, int slave = 100)
{
    uint8_t f[kFrameBufferSize]{};
    return QByteArray(reinterpret_cast<const char*>(f), BuildWriteSingleRegister(f, slave, reg, uint16_t(value)));
}

// The requests of the speed preset's steps.
QList<QByteArray> speedPresetFrames(int slave)
{
    QList<QByteArray> frames;
    for (auto [reg, value] : {std::pair{3, 1}, {4, 0}, {2, 0}, {1, 1800}, {2, 1}, {1, 900}, {1, 0}}) frames << single(reg, value, slave);
    return frames;
}

QByteArray pair(int32_t value)
{
    const auto v = uint32_t(value);
    const uint8_t block[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    uint8_t f[kFrameBufferSize]{};
    return QByteArray(reinterpret_cast<const char*>(f), BuildWriteMultipleRegisters(f, 100, 33, 2, block));
}

// A configuration file as the console's first start writes it, with a user sequence when
// userLines (SET line first) are given.
void writeConfig(const QString& path, const QStringList& userLines = {})
{
    IniProfile profile(path);
    ConsoleStores stores;
    LoadConfiguration(profile, stores);
    if (userLines.isEmpty()) return;
    SequenceText user;
    for (int i = 0; i < userLines.size(); ++i) user[size_t(i)] = userLines[i];
    QVERIFY(SaveUserSequence(profile, user, int(userLines.size()) - 1));
}

// One `sequence` command against the simulated drivers SIM-SPEED and SIM-POSITION, in virtual
// time, reading the configuration file of its folder.
struct SequenceRun {
    QTemporaryDir dir;
    VirtualClock clock;
    sim::SimPortProvider sims{clock};
    RecordingPorts ports{clock, sims};
    QStringList out, err;
    QString loadError;
    QString portName;
    std::unique_ptr<CliSequence> session;
    int finishedCalls = 0;
    int64_t endedAt = -1;

    QString configPath() const { return dir.filePath(QStringLiteral("Zentor_CFG.ini")); }

    explicit SequenceRun(const QStringList& userLines = {})
    {
        sims.addPort(sim::SimPortProvider::speedPortName(), SpeedControl);
        sims.addPort(sim::SimPortProvider::positionPortName(), PositionControl);
        writeConfig(configPath(), userLines);
    }
    sim::SimDriver& driver() { return *sims.driver(portName); }

    // Loads the sequence as the program does and starts the session; false when the load refused.
    bool start(const QString& line)
    {
        QStringList args = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        args << QStringLiteral("--config") << configPath();
        const CliParse p = ParseCliArguments(args);
        if (!p.ok) qFatal("bad command line in a test: %s", qPrintable(p.error));
        CliOptions options = p.options;
        SequenceSourceResult source = LoadSequenceSource(options, dir.path(), dir.filePath(QStringLiteral("home")));
        if (!source.ok) {
            loadError = source.error;
            return false;
        }
        if (options.command == Command::SequenceRun) options.type = ControlType(source.source.sequences.front().controlType);
        portName = options.type == PositionControl ? sim::SimPortProvider::positionPortName() : sim::SimPortProvider::speedPortName();
        session = std::make_unique<CliSequence>(
            options, std::move(source.source), clock, ports, portName,
            CliSession::Output{[this](const QString& l) { out << l; }, [this](const QString& l) { err << l; }});
        session->onFinished = [this](int) {
            ++finishedCalls;
            endedAt = clock.nowMs();
        };
        session->start();
        return true;
    }
    int finish(int64_t withinMs = 60000)
    {
        for (int64_t t = 0; t < withinMs && !session->finished(); ++t) clock.advance(1);
        return session->finished() ? session->exitCode() : -1;
    }
    QList<QByteArray> frames() const
    {
        QList<QByteArray> f;
        for (const Write& w : ports.writes) f << w.frame;
        return f;
    }
};

QStringList stepLines(const QStringList& out)
{
    QStringList steps;
    static const QRegularExpression step(QStringLiteral("^ *\\d+ ms  step "));
    for (const QString& line : out)
        if (step.match(line).hasMatch() || (line.startsWith(QLatin1String("{\"ms\":")) && line.contains(QLatin1String("\"step\""))))
            steps << line;
    return steps;
}

using Registers = QMap<int, int>;

}  // namespace

class TestCliSequence : public QObject {
    Q_OBJECT
private slots:
    void presetPlayedAgainstTheSimulatedDriver_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<QList<int>>("itemTimes");
        QTest::addColumn<QString>("result");
        QTest::addColumn<Registers>("registers");  // the driver's, after the run
        const QList<QByteArray> speed = speedPresetFrames(100);
        const QList<int> speedTimes = {500, 500, 500, 3000, 500, 3000, 2000};
        // Speed 0 after the last step, direction CCW, still enabled and released.
        const Registers speedEnd = {{1, 0}, {2, 1}, {3, 1}, {4, 0}};
        QTest::newRow("speed preset") << "--port SIM-SPEED sequence run speed" << speed << speedTimes << "applied" << speedEnd;
        QTest::newRow("speed preset, json, status after") << "--sim --json --status-after sequence run speed" << speed
                                                          << speedTimes << "applied" << speedEnd;
        QTest::newRow("speed preset as broadcasts") << "--sim --slave 0 sequence run speed" << speedPresetFrames(0) << speedTimes
                                                    << "sent as a broadcast (address 0), not confirmed" << speedEnd;
        QTest::newRow("position preset, json, status after")
            << "--sim --json --status-after sequence run position"
            << QList<QByteArray>{single(38, 1), pair(100), single(37, 0), pair(0), single(32, 1000), pair(800),
                                 single(38, 0), single(32, 2000), pair(0), single(38, 1)}
            << QList<int>{500, 500, 500, 500, 500, 500, 4000, 500, 3000, 500} << "applied"
            << Registers{{32, 2000}, {33, 0}, {34, 0}, {37, 0}, {38, 1}};
    }
    void presetPlayedAgainstTheSimulatedDriver()
    {
        QFETCH(QString, line);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(QList<int>, itemTimes);
        QFETCH(QString, result);
        QFETCH(Registers, registers);
        SequenceRun r;
        QVERIFY2(r.start(line), qPrintable(r.loadError));
        QCOMPARE(r.finish(), int(ExitOk));
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err.join('\n')));
        QCOMPARE(r.finishedCalls, 1);

        const bool statusAfter = line.contains(QLatin1String("--status-after"));
        QCOMPARE(r.frames().size(), frames.size() + (statusAfter ? 1 : 0));
        QCOMPARE(r.frames().mid(0, frames.size()), frames);
        // Each step goes at the first tick after the previous one's time has run out, measured
        // at the tick before: one to two ticks after it. The END follows the last step the same way.
        const int64_t start = r.ports.writes[0].at;
        for (int k = 1; k <= frames.size(); ++k) {
            const int64_t sent = k < frames.size() ? r.ports.writes[size_t(k)].at : (statusAfter ? r.ports.writes[size_t(k)].at : r.endedAt);
            const int64_t gap = sent - r.ports.writes[size_t(k - 1)].at;
            QVERIFY2(gap >= itemTimes[k - 1] + kRunTickMs && gap <= itemTimes[k - 1] + 2 * kRunTickMs,
                     qPrintable(QStringLiteral("step %1: %2 ms after the one before").arg(k + 1).arg(gap)));
        }

        const QStringList steps = stepLines(r.out);
        QCOMPARE(steps.size(), frames.size());
        const bool json = line.contains(QLatin1String("--json"));
        for (int k = 0; k < steps.size(); ++k) {
            const int64_t ms = r.ports.writes[size_t(k)].at - start;
            if (json) {
                const QJsonObject o = QJsonDocument::fromJson(steps[k].toUtf8()).object();
                QCOMPARE(o.value("ms").toInteger(), ms);
                QCOMPARE(o.value("step").toInt(), k + 1);
                QCOMPARE(o.value("steps").toInt(), int(frames.size()));
                QCOMPARE(o.value("item").toInt(), k + 1);
                QCOMPARE(o.value("function").toInt(), int(uint8_t(frames[k][1])));
                QCOMPARE(o.value("register").toInt(), (uint8_t(frames[k][2]) << 8) | uint8_t(frames[k][3]));
                QCOMPARE(o.value("result").toString(), result);
            } else {
                QVERIFY2(steps[k].startsWith(QStringLiteral("%1 ms  step %2/%3  item %4  ").arg(ms, 6).arg(k + 1).arg(frames.size()).arg(k + 1)),
                         qPrintable(steps[k]));
                QVERIFY2(steps[k].endsWith(QStringLiteral(": ") + result), qPrintable(steps[k]));
            }
        }

        // The END is printed when it comes, before the status read it is followed by.
        const int64_t endMs = (statusAfter ? r.ports.writes[size_t(frames.size())].at : r.endedAt) - start;
        QCOMPARE(r.out.size(), (json ? 0 : 2) + steps.size() + 1 + (statusAfter ? 1 : 0));
        const QString end = r.out[r.out.size() - (statusAfter ? 2 : 1)];
        QCOMPARE(end, json ? QStringLiteral("{\"ms\":%1,\"end\":\"Sequence Test END\"}").arg(endMs) : QStringLiteral("Sequence Test END"));

        for (auto it = registers.cbegin(); it != registers.cend(); ++it)
            QVERIFY2(r.driver().reg(it.key()) == it.value(),
                     qPrintable(QStringLiteral("register %1 = %2").arg(it.key()).arg(r.driver().reg(it.key()))));
        if (statusAfter) {
            // A status read after the END shows what the last steps set.
            const QJsonObject status = QJsonDocument::fromJson(r.out.last().toUtf8()).object();
            QVERIFY2(!status.isEmpty(), qPrintable(r.out.last()));
            const ControlType type = line.contains(QLatin1String("position")) ? PositionControl : SpeedControl;
            for (auto it = registers.cbegin(); it != registers.cend(); ++it) {
                for (int slot = 0; slot < kRoleSlots; ++slot) {
                    if (RegisterLayout::registerIn(type, slot) != it.key() || !*RoleName(slot)) continue;
                    QCOMPARE(status.value(QLatin1String(RoleName(slot))).toInt(), it.value());
                }
            }
        }
    }

    // Text lines as an operator reads them: the whole output of a short run.
    void textLinesOfARun()
    {
        SequenceRun r({"1,3,1,Position", "RESET-HIGH,-,0.5,1", "POSITION-INPUT,-200,0.2,1", "SET : APPLY-SETTING,-,0.2,1"});
        QVERIFY2(r.start(QStringLiteral("--sim sequence run user")), qPrintable(r.loadError));
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out, (QStringList{
                            "configuration: " + r.configPath(),
                            "user sequence [SEQ_TEST_USR], position control: total time 00:00:00.9, total items 3; slave 100 on SIM-POSITION",
                            "     0 ms  step 1/3  item 1  RESET-HIGH           register 37 = 1 (function 06): applied",
                            "   600 ms  step 2/3  item 2  POSITION-INPUT       registers 33-34 = -200 (function 16): applied",
                            "   900 ms  step 3/3  item 3  SET : APPLY-SETTING  apply settings: register 0xF001 = 0xA1A1 (function 06): applied",
                            "Sequence Test END",
                        }));
        QCOMPARE(r.endedAt - r.ports.writes[0].at, 1200);
    }

    // START refuses a list the driver would not receive as written: nothing is sent.
    void listRefusedAtStart_data()
    {
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown action") << QStringList{"1,2,1,Speed", "ENABLE-RUN,-,0.5,1", "SPIN,-,1,1"}
                                        << "Item 2 (SPIN,-,1,1) is not an action of this control type";
        QTest::newRow("action of the other type") << QStringList{"1,1,1,Speed", "RESET-HIGH,-,0.5,1"}
                                                  << "Item 1 (RESET-HIGH,-,0.5,1) is not an action of this control type";
        QTest::newRow("value beyond 16 bits") << QStringList{"1,2,1,Speed", "DIR-CW,-,0.5,1", "SET : MAX-RPM,70000,1,1"}
                                              << "Item 2 (SET : MAX-RPM,70000,1,1) has a value the driver cannot take";
    }
    void listRefusedAtStart()
    {
        QFETCH(QStringList, user);
        QFETCH(QString, message);
        SequenceRun r(user);
        QVERIFY2(r.start(QStringLiteral("--sim sequence run user")), qPrintable(r.loadError));
        QCOMPARE(r.finish(), int(ExitUsage));
        QCOMPARE(r.err, QStringList{message});
        QVERIFY(r.ports.writes.empty());
        QVERIFY(r.out.isEmpty());
    }

    // One missed or refused answer is borne; the second ends the run with its exit code.
    void missedAndRefusedAnswers_data()
    {
        QTest::addColumn<QStringList>("user");        // empty: the speed preset
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("faultUntil");          // -1: for good
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("endsAt");
        QTest::addColumn<QStringList>("results");     // of the steps reported, in order
        QTest::addColumn<QString>("error");           // the beginning of the last diagnostic
        const QString noAnswer = QStringLiteral("no answer");
        QTest::newRow("silent driver") << QStringList{} << "silent" << -1 << int(ExitNoAnswer) << 1200
                                       << QStringList{noAnswer, noAnswer}
                                       << "sequence stopped at step 2: no answer from slave 100 on SIM-SPEED (the second";
        QTest::newRow("bad checksums") << QStringList{} << "checksum" << -1 << int(ExitBadAnswer) << 600 + 4 + 1 + 60 + 1
                                       << QStringList{"checksum mismatch", "checksum mismatch"}
                                       << "sequence stopped at step 2: bad answer: checksum mismatch; received 64 06 00 04";
        QStringList seven(7, QStringLiteral("applied"));
        seven[0] = noAnswer;
        QTest::newRow("one missed answer is borne") << QStringList{} << "silent" << 300 << int(ExitOk) << -1 << seven << "";
        // Steps longer than the answer time-out: the answer is given up after 1000 ms.
        QTest::newRow("silent through long steps") << QStringList{"1,3,1,Speed", "ENABLE-RUN,-,3,1", "DIR-CW,-,3,1", "DIR-CCW,-,3,1"}
                                                   << "silent" << -1 << int(ExitNoAnswer) << 3100 + 1000
                                                   << QStringList{noAnswer, noAnswer}
                                                   << "sequence stopped at step 2: no answer from slave 100 on SIM-SPEED within 1000 ms";
    }
    void missedAndRefusedAnswers()
    {
        QFETCH(QStringList, user);
        QFETCH(QString, fault);
        QFETCH(int, faultUntil);
        QFETCH(QStringList, results);
        QFETCH(QString, error);
        SequenceRun r(user);
        QVERIFY2(r.start(user.isEmpty() ? QStringLiteral("--sim sequence run speed") : QStringLiteral("--sim sequence run user")),
                 qPrintable(r.loadError));
        sim::SimFaults& faults = r.sims.driver(r.portName)->faults();
        (fault == QLatin1String("silent") ? faults.silent : faults.badChecksum) = true;
        if (faultUntil >= 0) {
            r.clock.advance(faultUntil);
            faults = sim::SimFaults{};
        }
        QTEST(r.finish(), "exitCode");
        QFETCH(int, endsAt);
        if (endsAt >= 0) QCOMPARE(r.endedAt, int64_t(endsAt));
        const QStringList steps = stepLines(r.out);
        QCOMPARE(steps.size(), results.size());
        QCOMPARE(int(r.ports.writes.size()), int(results.size()));  // nothing after the run ended
        for (int k = 0; k < steps.size(); ++k) QVERIFY2(steps[k].contains(QStringLiteral(": ") + results[k]), qPrintable(steps[k]));
        if (error.isEmpty()) {
            QVERIFY2(r.err.isEmpty(), qPrintable(r.err.join('\n')));
            QCOMPARE(r.out.last(), QStringLiteral("Sequence Test END"));
        } else {
            QCOMPARE(r.err.size(), 1);
            QVERIFY2(r.err[0].startsWith(error), qPrintable(r.err[0]));
            QVERIFY(!r.out.contains(QStringLiteral("Sequence Test END")));
        }
        const int before = int(r.ports.writes.size());
        r.clock.advance(20000);
        QCOMPARE(int(r.ports.writes.size()), before);
        QCOMPARE(r.finishedCalls, 1);
    }

    void runStoppedFromOutside_data()
    {
        QTest::addColumn<bool>("pullOut");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("Ctrl-C") << false << int(ExitInterrupted) << "interrupted";
        QTest::newRow("port pulled out") << true << int(ExitPort) << "port SIM-SPEED failed (removed?)";
    }
    void runStoppedFromOutside()
    {
        QFETCH(bool, pullOut);
        SequenceRun r;
        QVERIFY(r.start(QStringLiteral("--sim sequence run speed")));
        r.clock.advance(2000);  // four steps sent, the fourth answered
        if (pullOut) r.sims.pull(r.portName);
        else r.session->interrupt();
        QTEST(r.finish(), "exitCode");
        QCOMPARE(r.endedAt, int64_t(2000));
        QTEST(r.err.last(), "error");
        QCOMPARE(stepLines(r.out).size(), 4);
        r.clock.advance(20000);
        QCOMPARE(r.ports.writes.size(), size_t(4));
        r.session->interrupt();
        QCOMPARE(r.finishedCalls, 1);
    }

    // An interruption while an answer is awaited still reports the step that was sent.
    void interruptedStepIsReported()
    {
        SequenceRun r;
        QVERIFY(r.start(QStringLiteral("--sim sequence run speed")));
        r.clock.advance(620);  // step 2 went at 600; its answer is taken 60 ms after it came
        r.session->interrupt();
        const QStringList steps = stepLines(r.out);
        QCOMPARE(steps.size(), 2);
        QVERIFY2(steps[1].endsWith(QLatin1String("BRAKE-OFF    register 4 = 0 (function 06): interrupted")), qPrintable(steps[1]));
    }

    void listingOfTheSeededFile()
    {
        SequenceRun r;
        QVERIFY(r.start(QStringLiteral("sequence list speed")));
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out, (QStringList{
                            "configuration: " + r.configPath(),
                            "",
                            "speed preset [SEQ_TEST_PRE_SPEED] SET=1,7,1,Speed, speed control",
                            "  total time 00:00:10.0, total items 7",
                            "   1  ENABLE-RUN,-,0.5,1    register 3 = 1 (function 06)",
                            "   2  BRAKE-OFF,-,0.5,1     register 4 = 0 (function 06)",
                            "   3  DIR-CW,-,0.5,1        register 2 = 0 (function 06)",
                            "   4  SPEED-INPUT,1800,3,1  register 1 = 1800 (function 06)",
                            "   5  DIR-CCW,-,0.5,1       register 2 = 1 (function 06)",
                            "   6  SPEED-INPUT,900,3,1   register 1 = 900 (function 06)",
                            "   7  SPEED-INPUT,0,2,1     register 1 = 0 (function 06)",
                        }));
        QVERIFY(r.err.isEmpty());
        QVERIFY(r.ports.writes.empty());
    }

    void listingOfAUserSequence_data()
    {
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QStringList>("listing");  // after the configuration line and the blank line
        QTest::newRow("none saved") << QStringList{} << QStringList{"user sequence [SEQ_TEST_USR]: none saved"};
        QTest::newRow("what cannot be sent, and why")
            << QStringList{"1,5,1,Position", "POSITION-INPUT,-200,0.5,1", "SET : MAX-RPM,70000,1,1", "DIR-CW,-,1,1",
                           "POSITION-INPUT,99999999999,1,1", "SET : APPLY-SETTING,-,0.2,1"}
            << QStringList{"user sequence [SEQ_TEST_USR] SET=1,5,1,Position, position control",
                           "  total time 00:00:03.7, total items 5",
                           "   1  POSITION-INPUT,-200,0.5,1       registers 33-34 = -200 (function 16)",
                           "   2  SET : MAX-RPM,70000,1,1         cannot be sent: value 70000 out of range (0..65535)",
                           "   3  DIR-CW,-,1,1                    cannot be sent: not an action of position control",
                           "   4  POSITION-INPUT,99999999999,1,1  cannot be sent: value 99999999999 out of range (-2147483648..2147483647)",
                           "   5  SET : APPLY-SETTING,-,0.2,1     apply settings: register 0xF001 = 0xA1A1 (function 06)"};
        QTest::newRow("no control type") << QStringList{"1,1,1,Torque", "DIR-CW,-,1,1"}
                                         << QStringList{"user sequence [SEQ_TEST_USR] SET=1,1,1,Torque, no control type",
                                                        "  total time 00:00:01.0, total items 1",
                                                        "   1  DIR-CW,-,1,1  cannot be sent: the sequence has no control type"};
    }
    void listingOfAUserSequence()
    {
        QFETCH(QStringList, user);
        SequenceRun r(user);
        QVERIFY(r.start(QStringLiteral("sequence list user")));
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out.mid(0, 2), (QStringList{"configuration: " + r.configPath(), ""}));
        QTEST(r.out.mid(2), "listing");
    }

    // Sequences the command line names but that cannot be run: refused before any port opens.
    void sequenceThatCannotBeRun_data()
    {
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("error");  // %1: the configuration file
        QTest::newRow("no user sequence") << QStringList{} << "--sim sequence run user"
                                          << "%1 holds no user sequence (no SET in [SEQ_TEST_USR])";
        QTest::newRow("no items") << QStringList{"1,0,1,Speed"} << "--sim sequence run user" << "the user sequence in %1 holds no items";
        QTest::newRow("no control type") << QStringList{"1,1,1,Torque", "DIR-CW,-,1,1"} << "--sim sequence run user"
                                         << "the user sequence in %1 has no control type: its SET line \"1,1,1,Torque\" must end in Speed or Position";
        QTest::newRow("--type contradicts it") << QStringList{"1,1,1,Position", "RESET-HIGH,-,1,1"}
                                               << "--sim --type speed sequence run user"
                                               << "--type speed contradicts the user sequence, a sequence of position control";
    }
    void sequenceThatCannotBeRun()
    {
        QFETCH(QStringList, user);
        QFETCH(QString, line);
        QFETCH(QString, error);
        SequenceRun r(user);
        QVERIFY(!r.start(line));
        QCOMPARE(r.loadError, error.contains(QLatin1String("%1")) ? error.arg(r.configPath()) : error);
    }

    // Without --config the listing is what the console will load from its file: the defaults
    // where it has not written the file yet, or where the file lacks the first-run marker.
    void listingAsTheConsoleWillLoadIt_data()
    {
        QTest::addColumn<QByteArray>("file");  // empty: none
        QTest::addColumn<QString>("origin");   // %1: the file's path
        QTest::addColumn<QString>("speedItem1");
        QTest::addColumn<QString>("user");
        QTest::newRow("no file yet") << QByteArray() << "the defaults the console writes at its first start (%1 does not exist yet)"
                                     << "   1  ENABLE-RUN,-,0.5,1    register 3 = 1 (function 06)"
                                     << "user sequence [SEQ_TEST_USR]: none saved";
        const QByteArray edited = "[SEQ_TEST_PRE_SPEED]\nSET=1,1,1,Speed\n1=DIR-CW,-,1,1\n"
                                  "[SEQ_TEST_USR]\nSET=1,1,1,Speed\n1=DIR-CCW,-,1,1\n";
        QTest::newRow("no first-run marker") << edited
                                             << "%1, read with the defaults the console writes into it at its next start (it lacks the first-run marker)"
                                             << "   1  ENABLE-RUN,-,0.5,1    register 3 = 1 (function 06)"
                                             << "user sequence [SEQ_TEST_USR] SET=1,1,1,Speed, speed control";
        QTest::newRow("marked") << "[Zentor]\nConfig_INI=true\n" + edited << "%1" << "   1  DIR-CW,-,1,1  register 2 = 0 (function 06)"
                                << "user sequence [SEQ_TEST_USR] SET=1,1,1,Speed, speed control";
    }
    void listingAsTheConsoleWillLoadIt()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, origin);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Zentor_CFG.ini"));
        if (!file.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        CliOptions options;
        options.command = Command::SequenceList;
        const SequenceSourceResult r = LoadSequenceSource(options, dir.path(), dir.filePath(QStringLiteral("home")));
        QVERIFY2(r.ok, qPrintable(r.error));
        const QStringList listing = FormatSequenceListing(r.source);
        QCOMPARE(listing[0], QStringLiteral("configuration: ") + origin.arg(path));
        QTEST(listing[4], "speedItem1");
        QFETCH(QString, user);
        QVERIFY2(listing.contains(user), qPrintable(listing.join('\n')));
        // Read, not written: the file (or its absence) stays as it was.
        QCOMPARE(QFile::exists(path) ? QFile(path).size() : qint64(-1), file.isEmpty() ? qint64(-1) : qint64(file.size()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), file.isEmpty() ? QStringList{} : QStringList{"Zentor_CFG.ini"});
    }

    void namedFileMustExist()
    {
        CliOptions options;
        options.command = Command::SequenceList;
        // An absolute path on either system (a drive letter on Windows).
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("nonexistent"));
        options.configPath = missing + QStringLiteral("/Zentor_CFG.ini");
        const SequenceSourceResult r = LoadSequenceSource(options, missing, missing);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("configuration file %1/Zentor_CFG.ini does not exist").arg(missing));
    }

    // zentor-cli reads the file the console beside it (or the console of its build tree) uses;
    // looking creates nothing, and a missing file is read as the console's defaults.
    void configurationFileFound_data()
    {
        QTest::addColumn<QString>("console");   // "", "beside" or "build tree"
        QTest::addColumn<QStringList>("files"); // configuration files present (folders: cli, app, home)
        QTest::addColumn<bool>("readOnly");     // the console's folder may not be written
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        QTest::newRow("installed together") << "beside" << QStringList{"cli", "home"} << false << "cli" << true;
        QTest::newRow("installed, not written yet") << "beside" << QStringList{"home"} << false << "cli" << false;
        QTest::newRow("installed read-only") << "beside" << QStringList{"home"} << true << "home" << true;
        QTest::newRow("installed read-only, holding the file") << "beside" << QStringList{"cli", "home"} << true << "cli" << true;
        QTest::newRow("build tree") << "build tree" << QStringList{"app", "home"} << false << "app" << true;
        QTest::newRow("build tree, a file put beside zentor-cli") << "build tree" << QStringList{"cli", "app"} << false << "cli" << true;
        QTest::newRow("build tree, console not started yet") << "build tree" << QStringList{"home"} << false << "app" << false;
        QTest::newRow("no console, folder writable") << "" << QStringList{"home"} << false << "cli" << false;
        QTest::newRow("no console, folder read-only") << "" << QStringList{"home"} << true << "home" << true;
    }
    void configurationFileFound()
    {
        QFETCH(QString, console);
        QFETCH(QStringList, files);
        QFETCH(bool, readOnly);
        QFETCH(QString, path);
        QTemporaryDir root;
        const QString cli = root.filePath(QStringLiteral("build/src/cli"));
        const QString app = root.filePath(QStringLiteral("build/src/app"));
        const QString home = root.filePath(QStringLiteral("home/.config/Zentor"));
        const QMap<QString, QString> folders = {{"cli", cli}, {"app", app}, {"home", home}};
        QVERIFY(QDir().mkpath(cli));
        QVERIFY(QDir().mkpath(app));
        for (const QString& f : files) {
            QDir().mkpath(folders[f]);
            QFile file{QDir(folders[f]).filePath(QStringLiteral("Zentor_CFG.ini"))};
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString consoleDir = console == QLatin1String("build tree") ? app : cli;
        if (!console.isEmpty()) {
            QFile program(ConsoleProgramIn(consoleDir));
            QVERIFY(program.open(QIODevice::WriteOnly));
        }
        if (readOnly) {
            QFile::setPermissions(consoleDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            if (QFileInfo(consoleDir).isWritable()) QSKIP("folder permissions do not bind this user (root)");
        }
        const QStringList before = QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const ConfigLookup lookup = FindConsoleConfig(cli, home);
        QFile::setPermissions(consoleDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(lookup.path, QDir(folders[path]).filePath(QStringLiteral("Zentor_CFG.ini")));
        QTEST(lookup.exists, "exists");
        QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        if (!files.contains(QStringLiteral("home"))) QVERIFY(!QFileInfo::exists(home));
    }
};

QTEST_GUILESS_MAIN(TestCliSequence)
#include "test_cli_sequence.moc"
