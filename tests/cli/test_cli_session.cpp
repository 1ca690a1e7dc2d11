// zentor-cli's session in virtual time against a scripted port: the frames each command
// sends, framing by 60 ms of silence, the answer time-out, refused answers, repeated status
// reads, interruption, and ports that will not open or go away.

#include "CliSession.h"
#include "CliFormat.h"
#include "CsvReader.h"
#include "StatusRecord.h"
#include "Crc16Modbus.h"
#include "VirtualClock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using namespace zentor;
using namespace zentor::cli;

namespace {


// Bursts of an answer: (milliseconds after the request, bytes).
using Bursts = std::vector<std::pair<int, QByteArray>>;
using Script = std::function<Bursts(const QByteArray& request)>;

// The answer a driver at `slave` gives to a read of `quantity` registers from 0, where
// register 0 holds the driver's address and register r > 0 holds 1000 + r, unless `set` says
// otherwise.
QByteArray readAnswer(int slave, int quantity, std::map<int, uint16_t> set = {})
{
    QByteArray f;
    f.append(char(slave));
    f.append(char(0x03));
    f.append(char(2 * quantity));
    for (int r = 0; r < quantity; ++r) {
        const uint16_t v = set.count(r) ? set[r] : r == 0 ? uint16_t(slave) : uint16_t(1000 + r);
        f.append(char(v >> 8));
        f.append(char(v & 0xFF));
    }
    return WithCrc(f);
}

// A driver that answers at the address asked (address 0 from its own, 100), reads from its
// registers and echoes writes, 5 ms after the request, in one burst.
Bursts driver(const QByteArray& request)
{
    if (request.size() < 8) return {};
    const int function = uint8_t(request[1]);
    if (function == 0x03) return {{5, readAnswer(uint8_t(request[0]) == 0 ? 100 : uint8_t(request[0]), uint8_t(request[5]))}};
    if (function == 0x06) {
        QByteArray echo = request.left(8);
        // A change of address is answered from the new address.
        if (uint8_t(request[2]) == 0xF0 && uint8_t(request[3]) == 0x00) echo = WithCrc(char(request[5]) + request.mid(1, 5));
        return {{5, echo}};
    }
    if (function == 0x10) return {{5, WithCrc(request.left(6))}};
    return {};
}

class ScriptedDevice final : public SerialDevice {
public:
    ScriptedDevice(Clock& clock, Script script, std::vector<std::pair<int64_t, QByteArray>>& log, int accepts,
                   OpenFailure refusal = {})
        : clock_(clock), script_(std::move(script)), log_(log), accepts_(accepts), refusal_(std::move(refusal))
    {
    }
    bool open(int) override { return refusal_.kind == OpenFailure::None; }
    OpenFailure openFailure() const override { return refusal_; }
    int64_t write(const uint8_t* data, int64_t count, int) override
    {
        const QByteArray frame(reinterpret_cast<const char*>(data), int(count));
        log_.push_back({clock_.nowMs(), frame});
        for (auto& [delay, bytes] : script_(frame)) {
            const QByteArray b = bytes;
            clock_.callAfter(delay, &context_, [this, b] { if (onReceived) onReceived(b); });
        }
        return accepts_ < 0 ? count : std::min<int64_t>(accepts_, count);
    }
    void purge() override {}
    void close() override {}
    void deliverNow(const QByteArray& b) { onReceived(b); }

private:
    Clock& clock_;
    Script script_;
    std::vector<std::pair<int64_t, QByteArray>>& log_;
    int accepts_;
    OpenFailure refusal_;
    QObject context_;
};

class ScriptedPorts final : public PortProvider {
public:
    ScriptedPorts(Clock& clock, Script script) : clock_(clock), script_(std::move(script)) {}
    QStringList ports() const override { return {QStringLiteral("COM3"), QStringLiteral("COM10")}; }
    std::unique_ptr<SerialDevice> create(const QString& name) override
    {
        // A port the list does not hold is one this user may not use.
        if (!ports().contains(name))
            return std::make_unique<ScriptedDevice>(clock_, script_, sent, accepts,
                                                    OpenFailure{OpenFailure::PermissionDenied, QStringLiteral("Permission denied")});
        auto d = std::make_unique<ScriptedDevice>(clock_, script_, sent, accepts);
        last = d.get();
        return d;
    }
    std::vector<std::pair<int64_t, QByteArray>> sent;
    int accepts = -1;
    ScriptedDevice* last = nullptr;

private:
    Clock& clock_;
    Script script_;
};

// One session of the command line against the scripted port COM3, in virtual time.
struct Run {
    VirtualClock clock;
    ScriptedPorts ports;
    QStringList out, err;
    std::unique_ptr<CliSession> session;
    int finishedCalls = 0;

    explicit Run(const QString& line, Script script = driver, QString port = QStringLiteral("COM3"))
        : ports(clock, std::move(script))
    {
        const CliParse p = ParseCliArguments(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        if (!p.ok) qFatal("bad command line in a test: %s", qPrintable(p.error));
        session = std::make_unique<CliSession>(
            p.options, clock, ports, port,
            CliSession::Output{[this](const QString& l) { out << l; }, [this](const QString& l) { err << l; }});
        session->onFinished = [this](int) { ++finishedCalls; };
        session->start();
    }
    // Runs until the session ends, or until the time given has passed.
    int finish(int64_t withinMs = 60000)
    {
        for (int64_t t = 0; t < withinMs && !session->finished(); ++t) clock.advance(1);
        return session->finished() ? session->exitCode() : -1;
    }
    QByteArray request(int i = 0) const { return ports.sent.at(size_t(i)).second; }
};

}  // namespace

class TestCliSession : public QObject {
    Q_OBJECT
private slots:
    void requestOfEachCommand_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("status, speed") << "--port COM3 --json status" << QByteArray::fromHex("640300000022") << QStringList{};
        QTest::newRow("status, position") << "--port COM3 --type position --json status" << QByteArray::fromHex("640300000029") << QStringList{};
        QTest::newRow("read 25 3 reads 28 from 0") << "--port COM3 read 25 3" << QByteArray::fromHex("64030000001c")
                                                   << QStringList{"25 = 1025 (0x0401)", "26 = 1026 (0x0402)", "27 = 1027 (0x0403)"};
        QTest::newRow("write negative") << "--port COM3 write 31 -2" << QByteArray::fromHex("6406001ffffe")
                                        << QStringList{"register 31 = 65534 (0xFFFE) confirmed"};
        QTest::newRow("write-position, high word first") << "--port COM3 --type position write-position -2"
                                                         << QByteArray::fromHex("641000210002 04 ffff fffe")
                                                         << QStringList{"target position -2 steps confirmed"};
        QTest::newRow("id asks slave 0") << "--port COM3 --slave 9 id" << QByteArray::fromHex("000300000001") << QStringList{"100"};
        QTest::newRow("set-id") << "--port COM3 set-id 7" << QByteArray::fromHex("6406f0000007") << QStringList{"7"};
        QTest::newRow("apply") << "--port COM3 --slave 5 apply" << QByteArray::fromHex("0506f001a1a1") << QStringList{"settings applied"};
    }
    void requestOfEachCommand()
    {
        QFETCH(QString, line);
        QFETCH(QByteArray, request);
        QFETCH(QStringList, printed);
        // The scripted driver answers at whatever address was asked (the slave-5 apply too).
        Run r(line);
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.ports.sent.size(), size_t(1));
        QCOMPARE(r.request(), WithCrc(request));
        if (!printed.isEmpty()) QCOMPARE(r.out, printed);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err.join('\n')));
        QCOMPARE(r.finishedCalls, 1);
    }

    // A write to slave 0 is a broadcast: sent, never waited for, reported as not confirmed.
    void broadcastIsNotWaitedFor_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<int>("endsAt");
        const QString tail = QStringLiteral(" sent as a broadcast (address 0), not confirmed: no driver answers a broadcast");
        // The line's time of the frame (10 bits a byte, rounded up) and 60 ms after it.
        QTest::newRow("write") << "--port COM3 --slave 0 write 3 1" << QByteArray::fromHex("000600030001")
                               << "register 3 = 1 (0x0001)" + tail << 61;
        QTest::newRow("write-position at 9600") << "--port COM3 --slave 0 --baud 9600 --type position write-position -- -2"
                                                << QByteArray::fromHex("001000210002 04 ffff fffe")
                                                << "target position -2 steps" + tail << 74;
        QTest::newRow("apply") << "--port COM3 --slave 0 apply" << QByteArray::fromHex("0006f001a1a1") << "apply settings" + tail << 61;
        QTest::newRow("set-id") << "--port COM3 --slave 0 set-id 9" << QByteArray::fromHex("0006f0000009") << "new address 9" + tail << 61;
    }
    void broadcastIsNotWaitedFor()
    {
        QFETCH(QString, line);
        QFETCH(QByteArray, request);
        QFETCH(QString, printed);
        // The scripted driver even answers at address 0: a broadcast takes no notice of it.
        Run r(line);
        QCOMPARE(r.finish(), int(ExitOk));
        QTEST(int(r.clock.nowMs()), "endsAt");
        QCOMPARE(r.ports.sent.size(), size_t(1));
        QCOMPARE(r.request(), WithCrc(request));
        QCOMPARE(r.out, QStringList{printed});
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err.join('\n')));
        QCOMPARE(r.finishedCalls, 1);
    }

    void broadcastThatDoesNotGoOut_data()
    {
        QTest::addColumn<bool>("pulled");
        QTest::newRow("short write") << false;
        QTest::newRow("port pulled before the line had it") << true;
    }
    void broadcastThatDoesNotGoOut()
    {
        QFETCH(bool, pulled);
        Run r(QStringLiteral("--port COM3 --slave 0 write 3 1"));
        if (!pulled) r.ports.accepts = 3;
        r.clock.advance(30);
        if (pulled) r.ports.last->onFailed();
        QCOMPARE(r.finish(), int(ExitPort));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.size(), 1);
    }

    void statusJsonCarriesTheReadValues()
    {
        Run r(QStringLiteral("--port COM3 --json status"),
              [](const QByteArray&) { return Bursts{{5, readAnswer(100, 34, {{25, 1500}, {31, 0xFFFF}})}}; });
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out.size(), 1);
        QVERIFY2(r.out[0].startsWith(QLatin1String("{\"DeviceIdRegister\":100,\"SpeedFeedback\":1009,")), qPrintable(r.out[0]));
        QVERIFY(r.out[0].contains(QLatin1String("\"MotorRpm\":1500,")));
        QVERIFY(r.out[0].contains(QLatin1String("\"MaxRpm\":65535,")));
    }

    void answerIsTakenAfter60msOfSilence_data()
    {
        QTest::addColumn<QList<int>>("burstTimes");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("endsAt");
        QTest::newRow("one burst at 5") << QList<int>{5} << int(ExitOk) << 65;
        QTest::newRow("three bursts 40 ms apart") << QList<int>{5, 45, 85} << int(ExitOk) << 145;
        // 80 ms apart: the first part is taken alone and fails the check.
        QTest::newRow("two bursts 80 ms apart") << QList<int>{5, 85} << int(ExitBadAnswer) << 65;
    }
    void answerIsTakenAfter60msOfSilence()
    {
        QFETCH(QList<int>, burstTimes);
        const QByteArray answer = readAnswer(100, 34);
        Run r(QStringLiteral("--port COM3 status"), [&](const QByteArray&) {
            Bursts b;
            const int part = int(answer.size()) / int(burstTimes.size());
            for (int i = 0; i < burstTimes.size(); ++i)
                b.push_back({burstTimes[i], i + 1 == burstTimes.size() ? answer.mid(i * part) : answer.mid(i * part, part)});
            return b;
        });
        QTEST(r.finish(), "exitCode");
        QTEST(int(r.clock.nowMs()), "endsAt");
    }

    void silenceIsNoAnswerAfterOneSecond_data()
    {
        QTest::addColumn<Bursts>("bursts");
        QTest::newRow("nothing") << Bursts{};
        QTest::newRow("a lone byte") << Bursts{{5, QByteArray(1, char(0x64))}};
    }
    void silenceIsNoAnswerAfterOneSecond()
    {
        QFETCH(Bursts, bursts);
        Run r(QStringLiteral("--port COM3 --slave 7 status"), [bursts](const QByteArray&) { return bursts; });
        QCOMPARE(r.finish(999), -1);
        QCOMPARE(r.finish(), int(ExitNoAnswer));
        QCOMPARE(int(r.clock.nowMs()), CliMaster::kAnswerTimeoutMs);
        QCOMPARE(r.err, QStringList{"no answer from slave 7 on COM3 within 1000 ms"});
        QVERIFY(r.out.isEmpty());
    }

    void refusedAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("reason");
        QByteArray badCrc = readAnswer(100, 34);
        badCrc[badCrc.size() - 1] = char(badCrc[badCrc.size() - 1] ^ 0x01);
        QTest::newRow("checksum") << badCrc << "bad answer: checksum mismatch";
        QTest::newRow("another slave") << readAnswer(101, 34) << "bad answer: address mismatch";
        QTest::newRow("wrong quantity") << readAnswer(100, 33) << "bad answer: quantity mismatch";
        QTest::newRow("exception") << WithCrc(QByteArray::fromHex("648302"))
                                   << "bad answer: function mismatch (exception answer to function 03, code 2)";
    }
    void refusedAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        Run r(QStringLiteral("--port COM3 status"), [answer](const QByteArray&) { return Bursts{{5, answer}}; });
        QCOMPARE(r.finish(), int(ExitBadAnswer));
        QCOMPARE(r.err.size(), 1);
        QVERIFY2(r.err[0].startsWith(reason), qPrintable(r.err[0]));
        QVERIFY(r.err[0].endsWith(QString::fromLatin1(answer.toHex(' '))));
        QVERIFY(r.out.isEmpty());
    }

    void bytesBeforeTheRequestAreNoPartOfTheAnswer()
    {
        Run r(QStringLiteral("--port COM3 --count 2 --every 100 --json status"));
        r.clock.advance(30);  // first read sent at 0, answered at 5, taken at 65
        QVERIFY(r.ports.last);
        r.clock.advance(50);
        QCOMPARE(r.out.size(), 1);
        // Noise on the line 10 ms before the second read; the answer must start its own frame.
        r.clock.advance(10);
        r.ports.last->deliverNow(QByteArray::fromHex("ffee"));
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out.size(), 2);
    }

    void repeatedStatusKeepsItsInterval()
    {
        Run r(QStringLiteral("--port COM3 --json --every 500 --count 3 status"));
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out.size(), 3);
        QCOMPARE(r.ports.sent.size(), size_t(3));
        QCOMPARE(r.ports.sent[0].first, int64_t(0));
        QCOMPARE(r.ports.sent[1].first, int64_t(500));
        QCOMPARE(r.ports.sent[2].first, int64_t(1000));
    }

    void repeatedStatusWithoutEveryUsesThePollInterval()
    {
        Run r(QStringLiteral("--port COM3 --count 2 status"));
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.ports.sent.size(), size_t(2));
        QCOMPARE(r.ports.sent[1].first, int64_t(kDefaultRepeatMs));
        QVERIFY(r.out.contains(QString()));  // text reads are parted by a blank line
    }

    void repeatedStatusStopsAtTheFirstFailure()
    {
        int n = 0;
        Run r(QStringLiteral("--port COM3 --json --every 200 status"), [&n](const QByteArray& req) {
            return ++n < 3 ? driver(req) : Bursts{};
        });
        QCOMPARE(r.finish(), int(ExitNoAnswer));
        QCOMPARE(r.out.size(), 2);
    }

    void interruption_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("repeated status ends well") << "--port COM3 --json --every 200 status" << true << int(ExitOk);
        QTest::newRow("a single command does not") << "--port COM3 status" << false << int(ExitInterrupted);
    }
    void interruption()
    {
        QFETCH(QString, line);
        QFETCH(bool, answers);
        Run r(line, answers ? Script(driver) : Script([](const QByteArray&) { return Bursts{}; }));
        r.clock.advance(450);
        r.session->interrupt();
        QVERIFY(r.session->finished());
        QTEST(r.session->exitCode(), "exitCode");
        const size_t sent = r.ports.sent.size();
        r.clock.advance(5000);
        QCOMPARE(r.ports.sent.size(), sent);  // nothing more goes out
        QCOMPARE(r.finishedCalls, 1);
        r.session->interrupt();
        QCOMPARE(r.finishedCalls, 1);
    }

    void portThatWillNotOpen()
    {
        Run r(QStringLiteral("--port COM7 status"), driver, QStringLiteral("COM7"));
        QCOMPARE(r.finish(), int(ExitPort));
        // The reason and what to do, as the console says it under its message.
        QCOMPARE(r.err.size(), 1);
        QVERIFY2(r.err[0].startsWith(QLatin1String("cannot open port COM7: You may not use COM7 (Permission denied)")),
                 qPrintable(r.err[0]));
#ifdef Q_OS_WIN
        QVERIFY(r.err[0].contains(QLatin1String("Ask the administrator of this computer")));
#else
        QVERIFY(r.err[0].contains(QLatin1String("dialout")));
#endif
        QVERIFY(r.ports.sent.empty());
    }

    void shortWriteIsAPortFailure()
    {
        Run r(QStringLiteral("--port COM3 status"));
        r.ports.accepts = 3;  // before the port is opened at the first advance
        QCOMPARE(r.finish(), int(ExitPort));
        QCOMPARE(r.err, QStringList{"the request could not be written to COM3"});
    }

    void portPulledOut_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("at");
        QTest::newRow("while an answer is awaited") << "--port COM3 --slave 9 status" << 20;
        QTest::newRow("between repeated reads") << "--port COM3 --every 1000 --json status" << 300;
    }
    void portPulledOut()
    {
        QFETCH(QString, line);
        QFETCH(int, at);
        Run r(line);
        r.clock.advance(at);
        r.ports.last->onFailed();
        QCOMPARE(r.finish(), int(ExitPort));
        QCOMPARE(r.err.last(), QStringLiteral("port COM3 failed (removed?)"));
        QCOMPARE(r.finishedCalls, 1);
    }

    void statusCsvPrintsOneHeaderAndARowPerRead()
    {
        Run r(QStringLiteral("--port COM3 --csv --count 3 status"), [](const QByteArray&) {
            return Bursts{{5, readAnswer(100, 34, {{25, 1500}, {26, 123}, {31, 3000}, {13, 1}})}};
        });
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out.size(), 4);
        QList<QStringList> rows;
        QVERIFY(zentor::testing::ReadCsv(r.out.join(QLatin1Char('\n')) + QLatin1Char('\n'), rows));
        const QStringList header = record::StatusRecordHeader(SpeedControl);
        QCOMPARE(rows[0], header);
        auto column = [&header](const char* name) { return int(header.indexOf(QLatin1String(name))); };
        // Each answer is taken 60 ms after it came, 5 ms after its request; reads 300 ms apart.
        QCOMPARE(rows[1][column("elapsed_ms")], QStringLiteral("65"));
        QCOMPARE(rows[2][column("elapsed_ms")], QStringLiteral("365"));
        QCOMPARE(rows[3][column("elapsed_ms")], QStringLiteral("665"));
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(rows[i].size(), header.size());
            QCOMPARE(rows[i][column("rpm")], QStringLiteral("1500"));
            QCOMPARE(rows[i][column("speed_pct")], QStringLiteral("50.0"));
            QCOMPARE(rows[i][column("current_a")], QStringLiteral("1.23"));
            QCOMPARE(rows[i][column("run_state")], QStringLiteral("RUN"));
            QCOMPARE(rows[i][column("reg9_SpeedFeedback")], QStringLiteral("1009"));
        }
        QCOMPARE(QDateTime::fromString(rows[1][0], Qt::ISODateWithMs).msecsTo(QDateTime::fromString(rows[3][0], Qt::ISODateWithMs)),
                 qint64(600));
    }

    void statusOutputFileHoldsWholeReads_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("lines");
        QTest::newRow("csv") << "--csv" << 3;
        QTest::newRow("json") << "--json" << 2;
        QTest::newRow("text") << "" << 2 * int(FormatStatusText(RegisterMap(), SpeedControl).size()) + 1;
    }
    void statusOutputFileHoldsWholeReads()
    {
        QFETCH(QString, format);
        QFETCH(int, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("status.out"));
        Run r(QStringLiteral("--port COM3 %1 --count 2 --output %2 status").arg(format, path));
        QCOMPARE(r.finish(), int(ExitOk));
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out.join(QLatin1Char('\n'))));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.endsWith('\n'));
        QCOMPARE(int(text.count('\n')), lines);
    }

    void statusOutputThatCannotBeWritten()
    {
        if (!QFile::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full here");
        Run r(QStringLiteral("--port COM3 --csv --count 3 --output /dev/full status"));
        QCOMPARE(r.finish(), int(ExitOutput));
        QCOMPARE(r.err, QStringList{QStringLiteral("cannot write /dev/full: %1; the reads before it are kept")
                                        .arg(QString::fromLocal8Bit(strerror(ENOSPC)))});
        QCOMPARE(r.ports.sent.size(), size_t(1));  // no read after the failed one

        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("no/such/folder/s.csv"));
        Run m(QStringLiteral("--port COM3 --csv --output %1 status").arg(missing));
        QCOMPARE(m.finish(), int(ExitOutput));
        QVERIFY2(m.err.value(0).startsWith(QStringLiteral("cannot write %1: ").arg(missing)), qPrintable(m.err.join('\n')));
        QVERIFY(m.ports.sent.empty());  // nothing is asked of the driver that could not be kept
    }

    void portsListsTheProvidersNames()
    {
        Run r(QStringLiteral("ports"));
        QCOMPARE(r.finish(), int(ExitOk));
        QCOMPARE(r.out, (QStringList{"COM3", "COM10"}));
    }
};

QTEST_GUILESS_MAIN(TestCliSession)
#include "test_cli_session.moc"
