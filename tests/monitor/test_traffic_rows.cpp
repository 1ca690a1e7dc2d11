// The traffic view's rows as tables: the decoding of each kind of frame, the cells of a row
// (time with a tenth of a millisecond, direction, check by name, round trip), and the ring of
// the table with its pause.

#include "Crc16Modbus.h"
#include "ModbusFrames.h"
#include "TrafficModel.h"
#include "TrafficRows.h"

#include <QSignalSpy>
#include <QTest>

using namespace zentor;
using namespace zentor::monitor;

namespace {

TrafficRow answerRow(int check, int64_t roundTrip = 12)
{
    TrafficRow r;
    r.kind = TrafficRow::Answer;
    r.bytes = WithCrc(QByteArray::fromHex("640306000100020003"));
    r.check = check;
    r.roundTripMs = roundTrip;
    r.sinceOpenUs = 1234567;
    return r;
}

TrafficRow numbered(int n)
{
    TrafficRow r;
    r.kind = TrafficRow::Request;
    r.sinceOpenUs = n * 1000;
    r.bytes = QByteArray(8, char(n));
    r.written = 8;
    return r;
}

QStringList times(const TrafficModel& m)
{
    QStringList t;
    for (int i = 0; i < m.rowCount(); ++i) t << m.data(m.index(i, TimeColumn), Qt::DisplayRole).toString();
    return t;
}

}  // namespace

class TestTrafficRows : public QObject {
    Q_OBJECT
private slots:
    void framesAreDecoded_data()
    {
        QTest::addColumn<QByteArray>("hex");  // without the checksum, which is added
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("status read") << QByteArray("640300000022") << false << "slave 100: read 34 registers from 0";
        QTest::newRow("write") << QByteArray("640600030001") << false << "slave 100: write register 3 = 1 (0x0001)";
        QTest::newRow("negative value") << QByteArray("64060002FFFF") << false << "slave 100: write register 2 = 65535 (0xFFFF)";
        QTest::newRow("target position") << QByteArray("64100021000204FFFFFEAC") << false
                                         << "slave 100: write 2 registers from 33: 65535 65196";
        QTest::newRow("change of address") << QByteArray("6406F0000007") << false << "slave 100: change of address to 7";
        QTest::newRow("apply settings") << QByteArray("6406F001A1A1") << false << "slave 100: apply settings (0xF001 = 0xA1A1)";
        QTest::newRow("identity query") << QByteArray("000300000001") << false << "slave 0 (any driver): read 1 register from 0";
        QTest::newRow("broadcast") << QByteArray("000600030001") << false << "broadcast: write register 3 = 1 (0x0001)";
        QTest::newRow("read answer") << QByteArray("6403040064000A") << true << "slave 100: 2 registers (4 bytes)";
        QTest::newRow("identity answer") << QByteArray("6403020064") << true << "slave 100: 1 register (2 bytes)";
        QTest::newRow("write echo") << QByteArray("640600030001") << true << "slave 100: register 3 = 1 (0x0001) echoed";
        QTest::newRow("multiple write answer") << QByteArray("641000210002") << true << "slave 100: 2 registers from 33 written";
        QTest::newRow("exception") << QByteArray("648602") << true
                                   << "slave 100: exception 02 to function 06 (illegal data address)";
        QTest::newRow("unknown exception code") << QByteArray("648309") << true << "slave 100: exception 09 to function 03";
        QTest::newRow("other slave") << QByteArray("070600030001") << true << "slave 7: register 3 = 1 (0x0001) echoed";
        QTest::newRow("unknown function") << QByteArray("642B0E01") << true << "slave 100: function 2B";
    }
    void framesAreDecoded()
    {
        QFETCH(QByteArray, hex);
        QFETCH(bool, answer);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeFrame(WithCrc(QByteArray::fromHex(hex)), answer), decoded);
    }

    void framesCutShortAreDecodedWithoutReadingPastThem_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("one byte") << QByteArray::fromHex("64") << true << "1 byte, too short for a frame";
        QTest::newRow("read request") << QByteArray::fromHex("640300") << false << "slave 100: function 03, cut short";
        QTest::newRow("exception") << QByteArray::fromHex("6486") << true << "slave 100: exception answer to function 06, cut short";
        QTest::newRow("echo") << QByteArray::fromHex("64060003") << true << "slave 100: function 06, cut short";
    }
    void framesCutShortAreDecodedWithoutReadingPastThem()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, answer);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeFrame(bytes, answer), decoded);
    }

    void answerCellsNameTheCheck_data()
    {
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("text");
        QTest::newRow("applied") << int(Applied) << "applied";
        QTest::newRow("checksum") << int(ChecksumMismatch) << "checksum mismatch";
        QTest::newRow("address") << int(AddressMismatch) << "address mismatch";
        QTest::newRow("function") << int(FunctionMismatch) << "function mismatch";
        QTest::newRow("quantity") << int(QuantityMismatch) << "quantity mismatch";
        QTest::newRow("length") << int(LengthMismatch) << "length mismatch";
        QTest::newRow("register") << int(RegisterMismatch) << "register mismatch";
        QTest::newRow("nothing awaited it") << 0 << "not awaited";
    }
    void answerCellsNameTheCheck()
    {
        QFETCH(int, check);
        QFETCH(QString, text);
        const TrafficRow r = answerRow(check);
        QCOMPARE(TrafficCell(r, CheckColumn), text);
        QCOMPARE(TrafficCell(r, TimeColumn), QStringLiteral("1234.5"));
        QCOMPARE(TrafficCell(r, DirectionColumn), QStringLiteral("in"));
        QCOMPARE(TrafficCell(r, BytesColumn), QStringLiteral("64 03 06 00 01 00 02 00 03 ") + TrafficCell(r, BytesColumn).right(5));
        QCOMPARE(TrafficCell(r, RoundTripColumn), QStringLiteral("12"));
    }

    void rowsComeFromTheConsolesEvents()
    {
        TrafficEvent e;
        e.kind = TrafficEvent::Request;
        e.atUs = 5'000'250;
        e.bytes = WithCrc(QByteArray::fromHex("640300000022"));
        e.written = 5;  // a short write
        const TrafficRow r = MakeTrafficRow(e, 1'000'000);
        QCOMPARE(TrafficCell(r, TimeColumn), QStringLiteral("4000.2"));
        QCOMPARE(TrafficCell(r, DirectionColumn), QStringLiteral("out"));
        QCOMPARE(TrafficCell(r, CheckColumn), QStringLiteral("short write: 5 of 8 bytes"));
        QCOMPARE(TrafficCell(r, RoundTripColumn), QString());
        // Without a port open there is no time to count from.
        QCOMPARE(TrafficCell(MakeTrafficRow(e, -1), TimeColumn), QString());
        TrafficEvent opened;
        opened.kind = TrafficEvent::PortOpened;
        opened.port = QStringLiteral("ttyUSB0");
        opened.atUs = 1'000'000;
        const TrafficRow o = MakeTrafficRow(opened, 1'000'000);
        QCOMPARE(TrafficCsvFields(o), (QStringList{"0.0", "port", "", "ttyUSB0 opened", "", ""}));
    }

    void ringDropsTheOldestRowsFromTheTable()
    {
        TrafficModel m(nullptr, 3);
        QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        m.append(numbered(1));
        m.append(numbered(2));
        QCOMPARE(m.rowCount(), 0);  // kept, not shown yet
        QCOMPARE(m.keptCount(), 2);
        m.showNew();
        QCOMPARE(times(m), (QStringList{"1.0", "2.0"}));
        for (int n = 3; n <= 5; ++n) m.append(numbered(n));
        QCOMPARE(m.keptAt(0).sinceOpenUs, int64_t(3000));
        m.showNew();
        QCOMPARE(times(m), (QStringList{"3.0", "4.0", "5.0"}));
        // Each move of the table is one removal at the front and one insertion at the end.
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed[0][1].toInt(), 0);
        QCOMPARE(removed[0][2].toInt(), 1);
    }

    void pausedTableStandsStillAndKeepsWhatComes()
    {
        TrafficModel m(nullptr, 4);
        for (int n = 1; n <= 2; ++n) m.append(numbered(n));
        m.showNew();
        m.setPaused(true);
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
        for (int n = 3; n <= 5; ++n) m.append(numbered(n));
        m.showNew();
        QCOMPARE(times(m), (QStringList{"1.0", "2.0"}));
        QCOMPARE(inserted.size() + removed.size(), 0);
        // The last four that came are kept: one shown row is already pushed out.
        QCOMPARE(m.keptCount(), 4);
        QCOMPARE(m.keptAt(0).sinceOpenUs, int64_t(2000));
        QCOMPARE(m.waiting(), 3);
        m.setPaused(false);
        QCOMPARE(times(m), (QStringList{"2.0", "3.0", "4.0", "5.0"}));
        QCOMPARE(m.waiting(), 0);
    }

    void pausedLongerThanTheRingShowsTheNewestOnGoingOn()
    {
        TrafficModel m(nullptr, 3);
        m.append(numbered(1));
        m.showNew();
        m.setPaused(true);
        for (int n = 2; n <= 9; ++n) m.append(numbered(n));
        QCOMPARE(times(m), (QStringList{"1.0"}));
        QCOMPARE(m.keptCount(), 3);
        QCOMPARE(m.keptAt(0).sinceOpenUs, int64_t(7000));
        m.setPaused(false);
        QCOMPARE(times(m), (QStringList{"7.0", "8.0", "9.0"}));
    }

    void clearDropsEverythingAndGoesOn()
    {
        TrafficModel m(nullptr, 3);
        for (int n = 1; n <= 4; ++n) m.append(numbered(n));
        m.showNew();
        m.setPaused(true);
        m.append(numbered(5));
        m.clear();
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.keptCount(), 0);
        m.setPaused(false);
        m.append(numbered(6));
        m.showNew();
        QCOMPARE(times(m), (QStringList{"6.0"}));
    }

    void longFramesShowTheirFirstBytes()
    {
        TrafficModel m;
        TrafficRow r = answerRow(Applied);
        r.bytes = QByteArray(87, '\x11');
        m.append(r);
        m.showNew();
        const QModelIndex bytes = m.index(0, BytesColumn);
        const QString shown = m.data(bytes, Qt::DisplayRole).toString();
        QVERIFY2(shown.startsWith(QString(QStringLiteral("11 ")).repeated(TrafficModel::kBytesShown - 1)), qPrintable(shown));
        QVERIFY(shown.endsWith(QLatin1String(" ... (87 bytes)")));
        QCOMPARE(m.data(bytes, Qt::ToolTipRole).toString(), TrafficCell(r, BytesColumn));
    }
};

QTEST_MAIN(TestTrafficRows)
#include "test_traffic_rows.moc"
