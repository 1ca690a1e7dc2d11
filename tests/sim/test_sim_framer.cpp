// Cutting a master's byte stream into requests: pieces, several at once, noise before a
// request, a spoiled request, functions of unknown shape, and a line that fell quiet.

#include "RequestFramer.h"
#include "SimTestKit.h"

#include <QTest>

using namespace zentor;
using namespace zentor::sim;
using namespace zentor::sim::testing;

namespace {

// Pieces of input and the time each comes at.
struct Piece {
    int64_t at;
    QByteArray bytes;
};

}  // namespace

Q_DECLARE_METATYPE(QList<Piece>)

class TestSimFramer : public QObject {
    Q_OBJECT
private slots:
    void framing_data()
    {
        QTest::addColumn<QList<Piece>>("pieces");
        QTest::addColumn<QList<QByteArray>>("requests");
        const QByteArray read = readRequest(100, 34);
        const QByteArray write = writeSingleRequest(100, 3, 1);
        const QByteArray multiple = writeMultipleRequest(100, 33, bytes({0, 0, 5, 0xB1}));
        QByteArray spoiled = write;
        spoiled[4] = char(0x55);
        const QByteArray reportId = WithCrc(bytes({100, 0x11}));
        const QByteArray unknownShape = WithCrc(bytes({100, 0x2B, 0x0E, 1, 0}));

        QTest::newRow("one read") << QList<Piece>{{0, read}} << QList<QByteArray>{read};
        QTest::newRow("read in three pieces") << QList<Piece>{{0, read.left(1)}, {1, read.mid(1, 4)}, {2, read.mid(5)}}
                                              << QList<QByteArray>{read};
        QTest::newRow("function 16 cut before its byte count")
            << QList<Piece>{{0, multiple.left(6)}, {1, multiple.mid(6)}} << QList<QByteArray>{multiple};
        QTest::newRow("three requests at once") << QList<Piece>{{0, read + multiple + write}}
                                                << QList<QByteArray>{read, multiple, write};
        QTest::newRow("noise before a request") << QList<Piece>{{0, bytes({0xFF, 0x00, 0x10}) + write}}
                                                << QList<QByteArray>{write};
        QTest::newRow("spoiled request, then a good one") << QList<Piece>{{0, spoiled + read}} << QList<QByteArray>{read};
        QTest::newRow("short function") << QList<Piece>{{0, reportId + read}} << QList<QByteArray>{reportId, read};
        QTest::newRow("function of unknown shape") << QList<Piece>{{0, unknownShape}, {1, write}}
                                                   << QList<QByteArray>{unknownShape, write};
        QTest::newRow("a piece, then quiet, then a request")
            << QList<Piece>{{0, multiple.left(7)}, {200, read}} << QList<QByteArray>{read};
        QTest::newRow("a piece and its rest within the quiet time")
            << QList<Piece>{{0, read.left(4)}, {40, read.mid(4)}} << QList<QByteArray>{read};
        QTest::newRow("only noise") << QList<Piece>{{0, bytes({1, 2, 3, 4, 5, 6, 7, 8, 9})}} << QList<QByteArray>{};
    }
    void framing()
    {
        QFETCH(QList<Piece>, pieces);
        QFETCH(QList<QByteArray>, requests);
        RequestFramer framer;
        QList<QByteArray> got;
        for (const Piece& p : pieces)
            for (const QByteArray& r : framer.feed(u8(p.bytes), p.bytes.size(), p.at)) got << r;
        QCOMPARE(got, requests);
    }

    void noiseNeverPilesUp()
    {
        RequestFramer framer;
        QByteArray noise(64, char(0x10));  // looks like the start of function 16 again and again
        for (int i = 0; i < 100; ++i) framer.feed(u8(noise), noise.size(), i);
        QVERIFY(framer.buffered() <= 2 * RequestFramer::kMaxFrame);
        const QByteArray read = readRequest(100, 34);
        const auto out = framer.feed(u8(read), read.size(), 1000);
        QCOMPARE(int(out.size()), 1);
        QCOMPARE(out.front(), read);
    }
};

QTEST_GUILESS_MAIN(TestSimFramer)
#include "test_sim_framer.moc"
