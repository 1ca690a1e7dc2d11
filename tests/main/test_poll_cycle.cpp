// The poll cycle of the main window in virtual time: status reads, the command slot, the
// 60 ms framing and the failure count.

#include "Rig.h"

using namespace zentor;
using namespace zentor::testing;

namespace {
const QString kSpeed = QStringLiteral("SIM-SPEED");

// Places a write in the command slot, as a panel button does.
void place(ConsoleHost& host, int address, uint16_t value)
{
    host.pending().address = address;
    host.pending().value = value;
    host.pending().kind = WriteSingle;
}
}  // namespace

class TestPollCycle : public QObject {
    Q_OBJECT
private slots:
    void statusEvery300AndCommandAtTheNextCommandPhase()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        const int64_t t0 = r.clock.nowMs();
        r.after(350);
        place(*r.w, 3, 1);
        r.after(850);
        const auto reads = r.sentWith(0x03);
        QCOMPARE(int(reads.size()), 5);
        for (int i = 0; i < 5; ++i) QCOMPARE(reads[i].at - t0, int64_t(300 * i));
        const auto writes = r.sentWith(0x06);
        QCOMPARE(int(writes.size()), 1);
        QCOMPARE(writes[0].at - t0, int64_t(450));
        QCOMPARE(writes[0].frame.toHex(), WithCrc(QByteArray::fromHex("6406000300 01")).toHex());
        QCOMPARE(r.w->pending().kind, int32_t(StatusRead));
        QCOMPARE(r.w->failureCount(), 0);
        QVERIFY(r.notes.texts.isEmpty());
    }

    void watchersSeeEveryFrameAndEveryAppliedStatusRead()
    {
        Rig r;
        std::vector<TrafficEvent> events;
        int statusReads = 0;
        r.w->AddTrafficListener([&events](const TrafficEvent& e) { events.push_back(e); });
        r.w->AddStatusListener([&statusReads] { ++statusReads; });
        r.start(kSpeed, SpeedControl);
        place(*r.w, 3, 1);
        r.after(400);  // read at 0, write at 150, read at 300, each answered
        QCOMPARE(statusReads, 2);  // the write's answer is no status read
        QCOMPARE(events.front().kind, TrafficEvent::PortOpened);
        QCOMPARE(events.front().port, kSpeed);
        std::vector<TrafficEvent> frames;
        for (const TrafficEvent& e : events)
            if (e.kind == TrafficEvent::Request || e.kind == TrafficEvent::Answer) frames.push_back(e);
        QCOMPARE(frames.size(), size_t(6));
        QCOMPARE(frames[2].kind, TrafficEvent::Request);
        QCOMPARE(frames[2].bytes.left(6).toHex(), QByteArray("640600030001"));
        QCOMPARE(frames[2].written, 8);
        QCOMPARE(frames[3].kind, TrafficEvent::Answer);
        QCOMPARE(frames[3].check, int(Applied));
        QVERIFY(frames[3].roundTripMs > 0 && frames[3].roundTripMs < 60);
        // A spoilt answer is seen with the check that refused it.
        r.driver(kSpeed).faults().badChecksum = true;
        r.after(300);
        QCOMPARE(events.back().kind, TrafficEvent::Answer);
        QCOMPARE(events.back().check, int(ChecksumMismatch));
        QCOMPARE(statusReads, 2);
    }

    void twoCommandsInOnePeriodSendOnlyTheSecond()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(310);
        place(*r.w, 3, 1);
        r.after(50);
        place(*r.w, 4, 1);
        r.after(600);
        const auto writes = r.sentWith(0x06);
        QCOMPARE(int(writes.size()), 1);
        QCOMPARE(uint8_t(writes[0].frame[3]), uint8_t(4));
    }

    void commandWaitsWhileAnAnswerIsAwaited()
    {
        // The answer to the second status read comes late: it is taken only after the next
        // command phase has passed.
        Rig r;
        int reads = 0;
        r.ports.script = [&reads](const QByteArray& request) -> std::vector<std::pair<int, QByteArray>> {
            if (request[1] == 0x06) return {{5, request}};
            QByteArray answer = QByteArray::fromHex("640344") + QByteArray(0x44, 0);
            return {{++reads == 2 ? 120 : 5, WithCrc(answer)}};
        };
        r.start(QStringLiteral("SCRIPTED"), SpeedControl);
        const int64_t t0 = r.clock.nowMs();
        r.after(301);  // the second status read is out and awaited
        QVERIFY(r.w->awaiting());
        place(*r.w, 3, 1);
        r.after(700);
        const auto writes = r.sentWith(0x06);
        QCOMPARE(int(writes.size()), 1);
        QCOMPARE(writes[0].at - t0, int64_t(750));
        QCOMPARE(r.w->failureCount(), 0);
    }

    void secondMissedAnswerAnHourLaterStops()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(100);
        r.driver(kSpeed).faults().silent = true;
        r.after(300);  // the read at 300 stays unanswered
        r.driver(kSpeed).faults().silent = false;
        r.after(300);
        QCOMPARE(r.w->failureCount(), 1);
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Device Control"));
        for (int minute = 0; minute < 60; ++minute) r.after(60'000);
        QCOMPARE(r.w->failureCount(), 1);
        QVERIFY(r.notes.texts.isEmpty());
        r.driver(kSpeed).faults().silent = true;
        r.after(600);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Check Device or Connected Line")});
        QCOMPARE(r.w->failureCount(), 0);
        QVERIFY(!r.w->scheduler().isRunning(CZentorDlg::PollTimer));
        QVERIFY(!r.w->scheduler().isRunning(CZentorDlg::BlinkTimer));
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Ready"));
        QVERIFY(r.w->portOpen());
        const size_t sent = r.ports.sent.size();
        r.after(3000);
        QCOMPARE(r.ports.sent.size(), sent);
    }

    void wrongFunctionThenSilenceEndsAtTheNextStatusPhase()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(100);
        r.driver(kSpeed).faults().wrongFunction = 0x04;
        r.after(100);  // the answer to the read at 300 comes with a wrong function code
        r.after(150);
        r.driver(kSpeed).faults().wrongFunction = 0;
        r.driver(kSpeed).faults().silent = true;
        r.after(50);
        QCOMPARE(r.w->failureCount(), 1);
        QVERIFY(r.notes.texts.isEmpty());
        r.after(300);  // status phase at 600: the flag is still set, the count reaches 2
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Check Device or Connected Line")});
    }

    void burstsFortyMillisecondsApartAreOneFrame()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.driver(kSpeed).setReg(25, 1234);  // MotorRpm of the speed layout
        r.driver(kSpeed).faults().splitGapMs = 40;
        r.after(600);
        QCOMPARE(r.w->failureCount(), 0);
        QCOMPARE(r.w->registers().values.at(25), uint16_t(1234));
    }

    void burstsEightyMillisecondsApartAreTwoFrames()
    {
        Rig r;
        r.driver(kSpeed).faults().splitGapMs = 80;
        r.start(kSpeed, SpeedControl);
        r.after(70);  // 60 ms after the first burst: its frame fails the check
        QCOMPARE(r.w->failureCount(), 1);
        QVERIFY(r.w->awaiting());
        r.after(80);  // the second burst started a frame of its own and fails too
        QCOMPARE(r.w->failureCount(), 2);
    }

    void identityQueryAdoptsTheDriversAddress()
    {
        Rig r;
        r.ports.script = [](const QByteArray& request) -> std::vector<std::pair<int, QByteArray>> {
            if (uint8_t(request[0]) == 0) return {{5, WithCrc(QByteArray::fromHex("0003021234"))}};
            return {};
        };
        r.selectType(SpeedControl);
        r.open(QStringLiteral("SCRIPTED"));
        r.w->SendIdentityQuery();
        QCOMPARE(r.ports.sent.back().frame.toHex(), QByteArray("0003000000 0185db").replace(" ", ""));
        r.after(100);
        QCOMPARE(r.w->slaveAddress(), 0x34);
        QCOMPARE(r.w->confirmedDeviceId(), 0x34);
        QCOMPARE(r.text(ids::IdLabel), QStringLiteral("ID : 52 (0x34)"));
        QCOMPARE(r.w->pending().kind, int32_t(StatusRead));
    }

    void identityChangeIsAnsweredFromTheNewAddress()
    {
        Rig r;
        r.selectType(SpeedControl);
        r.open(kSpeed);
        r.w->SendIdentityChange(7);
        r.after(100);
        QCOMPARE(r.w->slaveAddress(), 7);
        QCOMPARE(r.text(ids::IdLabel), QStringLiteral("ID : 7 (0x07)"));
        QCOMPARE(r.driver(kSpeed).slaveAddress(), 7);
    }

    void writeDuringAnAwaitedStatusReadGoesOutAtOnce()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(300);  // the second status read is out
        QVERIFY(r.w->awaiting());
        place(*r.w, 3, 1);
        r.w->SendCommand(WriteSingle);
        QCOMPARE(r.ports.sent.back().function(), 0x06);
        QCOMPARE(r.ports.sent.back().at, r.clock.nowMs());
        r.after(100);
        // Both answers ran together into one frame, checked against the newer request.
        QCOMPARE(r.w->failureCount(), 1);
    }

    void aFrameAfterTheFailureCountsNothing()
    {
        // An answer in four pieces 80 ms apart: two refused frames, the third ends
        // communication, the fourth comes in after it and answers no request any more.
        Rig r;
        r.ports.script = [](const QByteArray&) -> std::vector<std::pair<int, QByteArray>> {
            const QByteArray piece = QByteArray::fromHex("6403");
            return {{5, piece}, {85, piece}, {165, piece}, {245, piece}};
        };
        r.start(QStringLiteral("SCRIPTED"), SpeedControl);
        r.after(240);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Check Device or Connected Line")});
        r.after(200);
        QCOMPARE(r.w->failureCount(), 0);
        QCOMPARE(r.notes.texts.size(), 1);
    }

    void noLinkWhenARequestIsDue()
    {
        Rig r;
        r.w->SendCommand(StatusRead);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Check COM Port Device")});
    }
};

QTEST_MAIN(TestPollCycle)
#include "test_poll_cycle.moc"
