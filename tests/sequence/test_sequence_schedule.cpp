// The schedule of a list (totals, step order, refusal texts), the run's time formats and the
// item markers along the progress bar.

#include "RegisterMap.h"
#include "RunTimeFormats.h"
#include "ScheduleMarkers.h"
#include "SequenceSchedule.h"
#include "sequence/SequencePresets.h"

#include <QTest>

using namespace zentor;
using zentor::test::ListOf;

namespace {

// A speed list of items with the given times, repeat 1 each.
SequenceList timesList(const QStringList& times)
{
    QStringList lines{QStringLiteral("1,%1,1,Speed").arg(times.size())};
    for (const QString& t : times) lines << QStringLiteral("DIR-CW,-,%1,1").arg(t);
    return ListOf(lines);
}

}  // namespace

class TestSequenceSchedule : public QObject {
    Q_OBJECT
private slots:
    void presets_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("steps");
        QTest::newRow("speed") << int(SpeedControl) << "00:00:10.0" << "7";
        QTest::newRow("position") << int(PositionControl) << "00:00:11.0" << "10";
    }
    void presets()
    {
        QFETCH(int, type);
        QFETCH(QString, total);
        QFETCH(QString, steps);
        const SequenceSchedule s =
            ComputeSchedule(type == SpeedControl ? test::SpeedPreset() : test::PositionPreset(), type);
        QCOMPARE(s.firstUnresolved(), -1);
        QCOMPARE(s.totalMs, s.singlePassMs);
        const RunDisplays d = IdleDisplays(s);
        QCOMPARE(d.totalTime, total);
        QCOMPARE(d.currentTime, QString("00:00:00.0"));
        QCOMPARE(d.remainingTime, total);
        QCOMPARE(d.totalItems, steps);
        QCOMPARE(d.currentItem, QString("0"));
        QCOMPARE(d.remainingItems, steps);
        QCOMPARE(d.progress, 0);
    }

    void emptyList()
    {
        const SequenceSchedule s = ComputeSchedule(SequenceList{}, SpeedControl);
        QVERIFY(s.empty());
        const RunDisplays d = IdleDisplays(s);
        QCOMPARE(d.totalTime, kNoTime);
        QCOMPARE(d.currentTime, QString("--:--:--.-"));
        QCOMPARE(d.remainingTime, kNoTime);
        QCOMPARE(d.totalItems, QString("---"));
        QCOMPARE(d.currentItem, kNoCount);
        QCOMPARE(d.remainingItems, kNoCount);
    }

    // Sums of times with one decimal are exact: in 32-bit floats three times 0.9 gives 2.69999981
    // and thirty times 0.1 gives 2.99999928, a tenth short once truncated.
    void totalsExact_data()
    {
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QString>("total");
        QStringList tenths;
        for (int i = 0; i < 30; ++i) tenths << "0.1";
        QTest::newRow("0.7 + 2.3") << QStringList{"0.7", "2.3"} << "00:00:03.0";
        QTest::newRow("thirty times 0.1") << tenths << "00:00:03.0";
        QTest::newRow("three times 0.9") << QStringList{"0.9", "0.9", "0.9"} << "00:00:02.7";
        QTest::newRow("0.3 + 0.3 + 0.3 + 2.1") << QStringList{"0.3", "0.3", "0.3", "2.1"} << "00:00:03.0";
        QTest::newRow("an hour and a bit") << QStringList{"3599.9", "0.2"} << "01:00:00.1";
    }
    void totalsExact()
    {
        QFETCH(QStringList, times);
        QTEST(IdleDisplays(ComputeSchedule(timesList(times), SpeedControl)).totalTime, "total");
    }

    void timeFormats_data()
    {
        QTest::addColumn<qlonglong>("value");
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<QString>("text");
        QTest::newRow("tenths zero") << 0LL << true << "00:00:00.0";
        QTest::newRow("tenths 59:59.9") << 35999LL << true << "00:59:59.9";
        QTest::newRow("tenths an hour") << 36000LL << true << "01:00:00.0";
        QTest::newRow("ms 1:02:03.4") << 3723456LL << false << "01:02:03.4";
        QTest::newRow("ms below a tenth") << 99LL << false << "00:00:00.0";
        QTest::newRow("ms negative") << -150LL << false << "00:00:00.0";
        QTest::newRow("ms far negative") << -3723456LL << false << "00:00:00.0";
        QTest::newRow("tenths negative") << -1LL << true << "00:00:00.0";
    }
    void timeFormats()
    {
        QFETCH(qlonglong, value);
        QFETCH(bool, tenths);
        QTEST(tenths ? FormatTenths(value) : FormatMilliseconds(value), "text");
    }

    // Repeats and range repeats as hand-edited files hold them: the totals count exactly the
    // steps a run plays, in the order it plays them.
    void repeats_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<qlonglong>("totalMs");
        QTest::addColumn<qlonglong>("singlePassMs");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("item repeat 2") << QStringList{"1,2,1,Speed", "DIR-CW,-,0.5,2", "DIR-CCW,-,1,1"} << 2000LL << 2000LL
                                       << QList<int>{0, 0, 1};
        QTest::newRow("range from item 2, twice")
            << QStringList{"2,3,2,Speed", "DIR-CW,-,1,1", "DIR-CCW,-,0.3,1", "BRAKE-ON,-,0.2,1"} << 2000LL << 1500LL
            << QList<int>{0, 1, 2, 1, 2};
        QTest::newRow("both") << QStringList{"2,2,3,Speed", "DIR-CW,-,1,1", "DIR-CCW,-,0.5,2"} << 4000LL << 2000LL
                              << QList<int>{0, 1, 1, 1, 1, 1, 1};
        QTest::newRow("start outside the list: all items") << QStringList{"7,2,2,Speed", "DIR-CW,-,1,1", "DIR-CCW,-,1,1"}
                                                           << 4000LL << 2000LL << QList<int>{0, 1, 0, 1};
        QTest::newRow("repeat 2.5 plays twice") << QStringList{"1,1,1,Speed", "DIR-CW,-,1,2.5"} << 2000LL << 2000LL
                                                << QList<int>{0, 0};
        QTest::newRow("repeat 0 not played") << QStringList{"1,2,1,Speed", "DIR-CW,-,1,0", "DIR-CCW,-,1,1"} << 1000LL
                                             << 1000LL << QList<int>{1};
        QTest::newRow("range repeat 0") << QStringList{"2,2,0,Speed", "DIR-CW,-,1,1", "DIR-CCW,-,1,1"} << 1000LL << 2000LL
                                        << QList<int>{0};
    }
    void repeats()
    {
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, order);
        const SequenceSchedule s = ComputeSchedule(ListOf(lines), SpeedControl);
        QTEST(qlonglong(s.totalMs), "totalMs");
        QTEST(qlonglong(s.singlePassMs), "singlePassMs");
        QCOMPARE(s.totalSteps, int64_t(order.size()));
        QList<int> played;
        for (int64_t p = 0; p < s.totalSteps; ++p) played << s.itemOfStep(p);
        QCOMPARE(played, order);
    }

    void absurdNumbersSaturate()
    {
        const SequenceSchedule s = ComputeSchedule(
            ListOf({"1,2,99999999999,Speed", "DIR-CW,-,99999999999999999999,99999999999", "DIR-CCW,-,-5,1"}),
            SpeedControl);
        QCOMPARE(s.items[0].repeatCount, kMaxRepeat);
        QCOMPARE(s.rangeRepeat, kMaxRepeat);
        QCOMPARE(s.items[1].timeMs, int64_t(0));
        QCOMPARE(s.totalMs, std::numeric_limits<int64_t>::max());
        QCOMPARE(s.totalSteps, int64_t(kMaxRepeat) * kMaxRepeat + kMaxRepeat);
        QVERIFY(!LayoutMarkers(s, QRect(0, 0, 300, 16)).empty());
    }

    void unresolvedMessage_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::newRow("all resolve") << QStringList{"1,1,1,Position", "RESET-HIGH,-,1,1"} << "";
        QTest::newRow("speed action under position")
            << QStringList{"1,2,1,Position", "RESET-HIGH,-,1,1", "ENABLE-RUN,-,1,1"}
            << "Item 2 (ENABLE-RUN,-,1,1) is not an action of this control type";
        QTest::newRow("max rpm above 16 bits") << QStringList{"1,1,1,Position", "SET : MAX-RPM,70000,1,1"}
                                               << "Item 1 (SET : MAX-RPM,70000,1,1) has a value the driver cannot take";
        QTest::newRow("long field") << QStringList{"1,1,1,Position", "RESET-HIGH,-,1,000000000000000000000001"}
                                    << "Item 1 (RESET-HIGH,-,1,000000000000000000000001) has a field longer than 23 "
                                       "characters";
    }
    void unresolvedMessage()
    {
        QFETCH(QStringList, lines);
        QTEST(UnresolvedMessage(ComputeSchedule(ListOf(lines), PositionControl)), "message");
    }

    void markersThreeItems()
    {
        const QRect bar(10, 100, 300, 16);  // left 10, top 100, right 310, bottom 116
        const auto markers = LayoutMarkers(ComputeSchedule(timesList({"1", "1", "1"}), SpeedControl), bar);
        QCOMPARE(markers.size(), size_t(2));
        QCOMPARE(markers[0].item, 2);
        QCOMPARE(markers[0].text, QString("2"));
        QVERIFY(!markers[0].above);
        QCOMPARE(markers[0].label, QRect(110, 136, 48, 20));
        QCOMPARE(markers[0].tick, QRect(110, 117, 1, 19));
        QCOMPARE(markers[0].labelId, 1500);
        QCOMPARE(markers[0].tickId, 1540);
        QCOMPARE(markers[1].text, QString("3"));
        QVERIFY(markers[1].above);
        QCOMPARE(markers[1].label, QRect(210, 60, 48, 20));
        QCOMPARE(markers[1].tick, QRect(210, 80, 1, 19));
        QCOMPARE(markers[1].labelId, 1501);
        QCOMPARE(markers[1].tickId, 1541);
    }

    // Item starts 20 apart: a marker needs 50 clear of the last one, so two of every three
    // items go without, and the label before them names the run of items.
    void markersManyShortItems()
    {
        QStringList times;
        for (int i = 0; i < 15; ++i) times << "1";
        const auto markers = LayoutMarkers(ComputeSchedule(timesList(times), SpeedControl), QRect(0, 50, 300, 16));
        QStringList texts;
        QList<int> offsets;
        for (const ItemMarker& m : markers) {
            texts << m.text;
            offsets << m.label.left();
        }
        QCOMPARE(texts, (QStringList{"2~4", "5~7", "8~10", "11~13", "14"}));
        QCOMPARE(offsets, (QList<int>{20, 80, 140, 200, 260}));
        QCOMPARE(markers[1].labelId, 1501);
    }

    void noMarkers_data()
    {
        QTest::addColumn<QStringList>("times");
        QTest::newRow("one item") << QStringList{"1"};
        QTest::newRow("no time at all") << QStringList{"0", "0", "0"};
    }
    void noMarkers()
    {
        QFETCH(QStringList, times);
        QVERIFY(LayoutMarkers(ComputeSchedule(timesList(times), SpeedControl), QRect(0, 0, 300, 16)).empty());
    }
};

QTEST_APPLESS_MAIN(TestSequenceSchedule)
#include "test_sequence_schedule.moc"
