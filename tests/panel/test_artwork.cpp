// The artwork: every digit image id gives a 41 x 64 seven-segment figure whose lit segments
// read as its figure, at ratio 1 and 2; the pictures and the icon exist in their sizes.

#include "Artwork.h"
#include "ControlIds.h"

#include <QTest>

#include <vector>

using namespace zentor;
namespace rid = zentor::ids::art;

namespace {

const std::vector<int> kDigitIds = {rid::Digit0, rid::Digit1, rid::Digit2, rid::Digit3, rid::Digit4, rid::Digit5,
                                    rid::Digit6, rid::Digit7, rid::Digit8, rid::Digit9, rid::Blank, rid::Dash,
                                    rid::FaultF, rid::FaultA, rid::FaultU, rid::FaultL, rid::FaultT};

// The centre of each segment in the 41 x 64 image, in the order a (top), b (upper right),
// c (lower right), d (bottom), e (lower left), f (upper left), g (middle).
const QPoint kCentres[7] = {{20, 7}, {32, 19}, {32, 44}, {20, 56}, {8, 44}, {8, 19}, {20, 32}};

}  // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    void everyDigitIdGivesAFigure()
    {
        for (const int id : kDigitIds) {
            const QImage image = art::Image(id);
            QCOMPARE(image.size(), QSize(41, 64));
            QCOMPARE(image.pixelColor(1, 1), art::kDigitGround);
            QCOMPARE(image.pixelColor(39, 62), art::kDigitGround);
            const QPixmap twice = art::DigitPixmap(id, 2.0);
            QCOMPARE(twice.size(), QSize(82, 128));
            QCOMPARE(twice.devicePixelRatio(), 2.0);
            QCOMPARE(twice.deviceIndependentSize(), QSizeF(41, 64));
        }
        QVERIFY(art::Image(0).isNull());
        QVERIFY(art::Image(139).isNull());
        QVERIFY(art::DigitPixmap(0, 1.0).isNull());
    }

    void litSegments_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("lit");  // letters of the lit segments
        QTest::newRow("8") << int(rid::Digit8) << "abcdefg";
        QTest::newRow("0") << int(rid::Digit0) << "abcdef";
        QTest::newRow("1") << int(rid::Digit1) << "bc";
        QTest::newRow("2") << int(rid::Digit2) << "abdeg";
        QTest::newRow("4") << int(rid::Digit4) << "bcfg";
        QTest::newRow("7") << int(rid::Digit7) << "abc";
        QTest::newRow("blank") << int(rid::Blank) << "";
        QTest::newRow("dash") << int(rid::Dash) << "g";
        QTest::newRow("F") << int(rid::FaultF) << "aefg";
        QTest::newRow("A") << int(rid::FaultA) << "abcefg";
        QTest::newRow("U") << int(rid::FaultU) << "bcdef";
        QTest::newRow("L") << int(rid::FaultL) << "def";
        QTest::newRow("t") << int(rid::FaultT) << "defg";
    }
    void litSegments()
    {
        QFETCH(int, id);
        QFETCH(QString, lit);
        const QImage once = art::Image(id);
        const QImage twice = art::Image(id, 2.0);
        QCOMPARE(twice.size(), QSize(82, 128));
        for (int s = 0; s < 7; ++s) {
            const bool on = lit.contains(QChar('a' + s));
            const QColor wanted = on ? art::kDigitLit : art::kDigitUnlit;
            const QString where = QStringLiteral("segment %1").arg(QChar('a' + s));
            QVERIFY2(once.pixelColor(kCentres[s]) == wanted, qPrintable(where));
            QVERIFY2(twice.pixelColor(kCentres[s] * 2 + QPoint(1, 1)) == wanted, qPrintable(where + " at ratio 2"));
        }
    }

    void distinctIdsGiveDistinctImages()
    {
        std::vector<int> ids = kDigitIds;
        ids.push_back(rid::LeftPicture);
        ids.push_back(rid::TopPicture);
        ids.push_back(rid::Icon);
        for (size_t i = 0; i < ids.size(); ++i)
            for (size_t j = i + 1; j < ids.size(); ++j)
                QVERIFY2(art::Image(ids[i]) != art::Image(ids[j]),
                         qPrintable(QStringLiteral("%1 and %2").arg(ids[i]).arg(ids[j])));
    }

    void picturesAndIcon()
    {
        QCOMPARE(art::Image(rid::LeftPicture).size(), QSize(200, 680));
        QCOMPARE(art::Image(rid::TopPicture).size(), QSize(956, 6));
        QCOMPARE(art::Image(rid::LeftPicture, 2.0).size(), QSize(400, 1360));
        // The top strip runs from the console's blue on the left to its orange on the right.
        const QImage strip = art::Image(rid::TopPicture);
        QVERIFY(strip.pixelColor(0, 4).blue() > 200 && strip.pixelColor(0, 4).red() < 60);
        QVERIFY(strip.pixelColor(955, 4).red() > 200 && strip.pixelColor(955, 4).blue() < 100);
        // The left picture has the name written in white in its upper part.
        const QImage left = art::Image(rid::LeftPicture);
        int white = 0;
        for (int y = 40; y < 90; ++y)
            for (int x = 0; x < 200; ++x) white += left.pixelColor(x, y).lightness() > 240;
        QVERIFY(white > 200);

        const QIcon icon = art::AppIcon();
        const QList<QSize> sizes = icon.availableSizes();
        for (const int edge : {16, 32, 48, 64, 256}) QVERIFY(sizes.contains(QSize(edge, edge)));
        const QImage big = icon.pixmap(QSize(256, 256), 1.0).toImage();
        QCOMPARE(big.size(), QSize(256, 256));
        QCOMPARE(big.pixelColor(0, 0).alpha(), 0);        // rounded corner
        QCOMPARE(big.pixelColor(128, 128).alpha(), 255);  // the rotor's shaft
        QCOMPARE(art::Image(rid::Icon).size(), QSize(256, 256));
    }

    void windowsFontFamily_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("Windows 10") << QStringList{"Arial", "Segoe UI", "Tahoma", "MS Shell Dlg"} << "Segoe UI";
        QTest::newRow("Windows XP") << QStringList{"Arial", "Tahoma", "MS Shell Dlg"} << "Tahoma";
        QTest::newRow("Wine, own fonts") << QStringList{"DejaVu Sans", "MS Shell Dlg", "tahoma"} << "tahoma";
        QTest::newRow("Wine, Linux fonts") << QStringList{"DejaVu Math TeX Gyre", "DejaVu Sans Mono", "DejaVu Serif",
                                                           "Liberation Sans", "DejaVu Sans", "MS Shell Dlg"}
                                            << "DejaVu Sans";
        QTest::newRow("only Arial's twin") << QStringList{"Liberation Serif", "Liberation Sans"} << "Liberation Sans";
        QTest::newRow("none of them") << QStringList{"MS Shell Dlg", "Courier New"} << "";
    }

    void windowsFontFamily()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, chosen);
        QCOMPARE(art::WindowsFontFamily(installed), chosen);
    }
};

QTEST_MAIN(TestArtwork)
#include "test_artwork.moc"
