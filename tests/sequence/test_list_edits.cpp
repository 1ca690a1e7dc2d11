// ADD/CHANGE and DELETE on the list being edited with the header line they write, taking a
// stored list over, and what the list and the editor row show.

#include "ListEdits.h"
#include "RegisterMap.h"
#include "sequence/SequencePresets.h"

#include <QTest>

using namespace zentor;
using zentor::test::ListOf;
using zentor::test::SpeedPreset;

Q_DECLARE_METATYPE(zentor::EditStatus)

namespace {

// What the dialog passes for the current No. selection, as its rebuilt range controls show it.
EditRequest requestFor(const SequenceList& list, int type, int index, const QString& action, EditorBoxes boxes)
{
    const ListDisplay d = RebuildDisplay(list);
    EditRequest rq;
    rq.controlType = type;
    rq.selectedIndex = index;
    rq.action = action;
    rq.boxes = boxes;
    rq.rangeStart = d.rangeStartIndex >= 0 ? d.rangeStartEntries[d.rangeStartIndex] : QString();
    rq.rangeRepeat = d.rangeRepeat;
    return rq;
}

QStringList linesOf(const SequenceList& list) { return QStringList(list.lines.begin(), list.lines.end()); }

SequenceList fullList()
{
    QStringList lines{"1,39,1,Speed"};
    for (int i = 1; i <= kSequenceMaxItems; ++i) lines << "ENABLE-RUN,-,1,1";
    return ListOf(lines);
}

}  // namespace

class TestListEdits : public QObject {
    Q_OBJECT
private slots:
    void addToEmptyList()
    {
        SequenceList list;
        // Choosing ENABLE-RUN on the new-item entry fills the boxes as the editor shows them.
        const ActionRuleResult rule = ApplyActionRule("ENABLE-RUN", EditorRowFor(list, 0).action, {});
        const EditOutcome o = AddOrChange(list, requestFor(list, SpeedControl, 0, "ENABLE-RUN", rule.boxes));
        QCOMPARE(o.status, EditStatus::Changed);
        QCOMPARE(list.itemCount, 1);
        QCOMPARE(list.lines[0], QString("1,1,1,Speed"));
        QCOMPARE(list.lines[1], QString("ENABLE-RUN,-,1,1"));
        QCOMPARE(RebuildDisplay(list).numberEntries, (QStringList{"1", "2"}));
    }

    void changeKeepsCount()
    {
        SequenceList list = SpeedPreset();
        const EditOutcome o =
            AddOrChange(list, requestFor(list, SpeedControl, 2, "DIR-CCW", {"-", "0.7", "1"}));
        QCOMPARE(o.status, EditStatus::Changed);
        QCOMPARE(list.itemCount, 7);
        QCOMPARE(list.lines[0], QString("1,7,1,Speed"));
        QCOMPARE(list.lines[3], QString("DIR-CCW,-,0.7,1"));
        QCOMPARE(list.lines[4], SpeedPreset().lines[4]);
    }

    void addKeepsRangeFields()
    {
        SequenceList list = ListOf({"2,2,3,Position", "BRAKE-ON,-,1,1", "BRAKE-OFF,-,1,1"});
        AddOrChange(list, requestFor(list, PositionControl, 2, "POSITION-INPUT", {"-200", "0.5", "1"}));
        QCOMPARE(list.lines[0], QString("2,3,3,Position"));
        QCOMPARE(list.lines[3], QString("POSITION-INPUT,-200,0.5,1"));
    }

    void deleteOnlyItemThenAdd()
    {
        SequenceList list = ListOf({"1,1,1,Speed", "ENABLE-RUN,-,1,1"});
        QCOMPARE(DeleteItem(list, requestFor(list, SpeedControl, 0, {}, {})).status, EditStatus::Changed);
        QCOMPARE(list.itemCount, 0);
        QCOMPARE(list.lines[0], QString("0,0,1,Speed"));
        QVERIFY(list.lines[1].isEmpty());
        QCOMPARE(RebuildDisplay(list).numberEntries, QStringList{"1"});
        AddOrChange(list, requestFor(list, SpeedControl, 0, "BRAKE-ON", {"-", "1", "1"}));
        QCOMPARE(list.lines[0], QString("1,1,1,Speed"));
        QCOMPARE(list.lines[1], QString("BRAKE-ON,-,1,1"));
    }

    void deleteMovesLinesUp()
    {
        SequenceList list = SpeedPreset();
        DeleteItem(list, requestFor(list, SpeedControl, 1, {}, {}));
        QCOMPARE(list.itemCount, 6);
        QCOMPARE(list.lines[0], QString("1,6,1,Speed"));
        const SequenceList preset = SpeedPreset();
        QCOMPARE(list.lines[1], preset.lines[1]);
        for (int line = 2; line <= 6; ++line) QCOMPARE(list.lines[line], preset.lines[line + 1]);
        QVERIFY(list.lines[7].isEmpty());
    }

    // A range starting at the last item moves back with it.
    void deleteLastItemMovesRangeStart()
    {
        SequenceList list = ListOf({"3,3,2,Speed", "DIR-CW,-,1,1", "DIR-CCW,-,1,1", "BRAKE-ON,-,1,1"});
        DeleteItem(list, requestFor(list, SpeedControl, 2, {}, {}));
        QCOMPARE(list.lines[0], QString("2,2,2,Speed"));
        QVERIFY(list.lines[3].isEmpty());
    }

    void nothingChanges_data()
    {
        QTest::addColumn<bool>("adding");      // AddOrChange, otherwise DeleteItem
        QTest::addColumn<bool>("full");        // on the full list, otherwise the speed preset
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<EditStatus>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("emptyTime");
        QTest::addColumn<bool>("emptyRepeat");
        const QStringList good{"1800", "3", "1"};
        const auto refused = EditStatus::Refused;
        const auto ignored = EditStatus::Ignored;
        const QString input = kInputCorrectValue;
        QTest::newRow("no action") << true << false << 1 << 7 << "" << good << refused << input << false << false;
        QTest::newRow("action of the other type") << true << false << 1 << 7 << "RESET-HIGH" << good << refused << input
                                                  << false << false;
        QTest::newRow("empty value") << true << false << 1 << 7 << "SPEED-INPUT" << QStringList{"", "3", "1"}
                                     << refused << input << false << false;
        QTest::newRow("empty time") << true << false << 1 << 7 << "SPEED-INPUT" << QStringList{"1800", "", "1"}
                                    << refused << input << true << false;
        QTest::newRow("zero time") << true << false << 1 << 2 << "SPEED-INPUT" << QStringList{"1800", "0", "1"}
                                   << refused << input << true << false;
        QTest::newRow("zero repeat") << true << false << 1 << 7 << "SPEED-INPUT" << QStringList{"1800", "3", "00"}
                                     << refused << input << false << true;
        QTest::newRow("comma in value") << true << false << 1 << 7 << "SPEED-INPUT" << QStringList{"1,8", "3", "1"}
                                        << refused << input << false << false;
        QTest::newRow("full list") << true << true << 1 << 39 << "SPEED-INPUT" << good << refused << kListFull << false
                                   << false;
        QTest::newRow("change on full list allowed") << true << true << 1 << 38 << "SPEED-INPUT" << good
                                                     << EditStatus::Changed << "" << false << false;
        QTest::newRow("add without type") << true << false << 0 << 7 << "SPEED-INPUT" << good << ignored << "" << false
                                          << false;
        QTest::newRow("delete without type") << false << false << 0 << 1 << "" << good << ignored << "" << false << false;
        QTest::newRow("delete new-item entry") << false << false << 1 << 7 << "" << good << ignored << "" << false
                                               << false;
    }
    void nothingChanges()
    {
        QFETCH(bool, adding);
        QFETCH(bool, full);
        QFETCH(int, type);
        QFETCH(int, index);
        QFETCH(QString, action);
        QFETCH(QStringList, boxes);
        QFETCH(EditStatus, status);
        SequenceList list = full ? fullList() : SpeedPreset();
        const SequenceList before = list;
        const EditRequest rq = requestFor(list, type, index, action, {boxes[0], boxes[1], boxes[2]});
        const EditOutcome o = adding ? AddOrChange(list, rq) : DeleteItem(list, rq);
        QCOMPARE(o.status, status);
        QTEST(o.message, "message");
        QTEST(o.emptyTime, "emptyTime");
        QTEST(o.emptyRepeat, "emptyRepeat");
        if (status != EditStatus::Changed) {
            QCOMPARE(linesOf(list), linesOf(before));
            QCOMPARE(list.itemCount, before.itemCount);
        }
    }

    void deleteOnEmptyListIgnored()
    {
        SequenceList list;
        QCOMPARE(DeleteItem(list, requestFor(list, SpeedControl, 0, {}, {})).status, EditStatus::Ignored);
        QCOMPARE(list.itemCount, 0);
    }

    void copyStoreKeeps39Items()
    {
        QStringList lines{"1,44,1,Speed"};
        for (int i = 1; i <= 44; ++i) lines << QStringLiteral("SPEED-INPUT,%1,1,1").arg(i);
        const LoadedList loaded = CopyStore(lines);
        QCOMPARE(loaded.list.itemCount, 39);
        QCOMPARE(loaded.itemsLeftOut, 5);
        QCOMPARE(loaded.list.lines[0], QString("1,44,1,Speed"));
        QCOMPARE(loaded.list.lines[39], QString("SPEED-INPUT,39,1,1"));
    }

    void copyStoreStopsAtEmptyLine()
    {
        SequenceLines store;
        store[0] = "1,3,1,Speed";
        store[1] = "DIR-CW,-,1,1";
        store[2] = "DIR-CCW,-,1,1";
        store[4] = "BRAKE-ON,-,1,1";  // after the end of the list: not taken
        const LoadedList loaded = CopyStore(store);
        QCOMPARE(loaded.list.itemCount, 2);
        QCOMPARE(loaded.itemsLeftOut, 0);
        QVERIFY(loaded.list.lines[4].isEmpty());

        SequenceLines blank;
        blank[2] = "DIR-CW,-,1,1";
        QCOMPARE(CopyStore(blank).list.itemCount, 0);
    }

    void copyStoreReportsLongFields()
    {
        const LoadedList loaded =
            CopyStore(QStringList{"1,2,1,Speed", "DIR-CW,-,1,1", "SPEED-INPUT,000000000000000000001800,1,1"});
        QCOMPARE(loaded.list.itemCount, 2);
        QCOMPARE(loaded.longFieldItems, QList<int>{2});
        QCOMPARE(loaded.list.lines[2], QString("SPEED-INPUT,000000000000000000001800,1,1"));
    }

    void display()
    {
        const ListDisplay d = RebuildDisplay(ListOf({"2,3,4,Position", "BRAKE-ON,-,0.5,1", "RESET-LOW,-,1,1",
                                                     "POSITION-INPUT,100,0.5,1"}));
        QCOMPARE(d.rows.size(), size_t(3));
        QCOMPARE(d.rows[2].number, QString("3"));
        QCOMPARE(d.rows[2].action, QString("POSITION-INPUT"));
        QCOMPARE(d.rows[2].value, QString("100"));
        QCOMPARE(d.numberEntries, (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(d.rangeStartEntries, (QStringList{"1", "2", "3"}));
        QCOMPARE(d.rangeStartIndex, 1);
        QCOMPARE(d.rangeEnd, QString("3"));
        QCOMPARE(d.rangeRepeat, QString("4"));
        QCOMPARE(d.typeWord, QString("Position"));
        QCOMPARE(RebuildDisplay(SequenceList{}).rangeEnd, QString());
        QCOMPARE(RebuildDisplay(ListOf({"9,1,1,Speed", "DIR-CW,-,1,1"})).rangeStartIndex, -1);
    }

    void editorRow()
    {
        const SequenceList list = SpeedPreset();
        const EditorRow row = EditorRowFor(list, 3);
        QCOMPARE(row.action, QString("SPEED-INPUT"));
        QCOMPARE(row.boxes, (EditorBoxes{"1800", "3", "1"}));
        QCOMPARE(row.buttonCaption, QString("CHANGE"));
        const EditorRow fresh = EditorRowFor(list, 7);
        QCOMPARE(fresh.action, QString());
        QCOMPARE(fresh.boxes, EditorBoxes{});
        QCOMPARE(fresh.buttonCaption, QString("ADD"));
    }
};

QTEST_APPLESS_MAIN(TestListEdits)
#include "test_list_edits.moc"
