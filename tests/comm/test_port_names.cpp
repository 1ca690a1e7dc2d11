// The order of the port list and the names that count as device paths.

#include "PortNames.h"
#include "SystemPorts.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zentor;

class TestPortNames : public QObject {
    Q_OBJECT
private slots:
    void naturalOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("aFirst");
        QTest::newRow("COM2 < COM10") << "COM2" << "COM10" << true;
        QTest::newRow("COM10 > COM9") << "COM10" << "COM9" << false;
        QTest::newRow("ttyUSB2 < ttyUSB10") << "ttyUSB2" << "ttyUSB10" << true;
        QTest::newRow("ttyACM0 < ttyUSB0") << "ttyACM0" << "ttyUSB0" << true;
        QTest::newRow("equal is not less") << "COM3" << "COM3" << false;
        QTest::newRow("prefix first") << "COM" << "COM1" << true;
        QTest::newRow("case does not decide") << "com2" << "COM10" << true;
        QTest::newRow("leading zeros are the value") << "COM010" << "COM9" << false;
        QTest::newRow("same value, fewer zeros first") << "COM02" << "COM2" << true;
        QTest::newRow("digits beyond any integer") << "tty99999999999999999998" << "tty99999999999999999999" << true;
        QTest::newRow("second number decides") << "pts1x2" << "pts1x10" << true;
        QTest::newRow("digit before letter") << "a1" << "ab" << true;
    }
    void naturalOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(NaturalLess(a, b), "aFirst");
        // A strict order: never both ways.
        if (NaturalLess(a, b)) QVERIFY(!NaturalLess(b, a));
    }

    void listIsSortedDedupedAndCappedAt40()
    {
        QStringList names;
        for (int i = 60; i >= 1; --i) names << QStringLiteral("ttyUSB%1").arg(i);
        names << QStringLiteral("COM10") << QStringLiteral("COM2") << QStringLiteral("COM2");
        const QStringList ordered = OrderPortNames(names);
        QCOMPARE(ordered.size(), kMaxListedPorts);
        QCOMPARE(ordered[0], QStringLiteral("COM2"));
        QCOMPARE(ordered[1], QStringLiteral("COM10"));
        QCOMPARE(ordered[2], QStringLiteral("ttyUSB1"));
        QCOMPARE(ordered[11], QStringLiteral("ttyUSB10"));
        QCOMPARE(ordered.last(), QStringLiteral("ttyUSB38"));
    }

    void devicePaths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isPath");
        QTest::newRow("absolute") << "/dev/pts/7" << true;
        QTest::newRow("absolute, missing") << "/tmp/no-such-link-here" << true;
        QTest::newRow("bare name") << "ttyUSB0" << false;
        QTest::newRow("COM name") << "COM3" << false;
        QTest::newRow("empty") << "" << false;
    }
    void devicePaths()
    {
        QFETCH(QString, name);
        QTEST(IsDevicePath(name), "isPath");
    }

    void providerServesPathsAndRefusesUnknownNames()
    {
        SystemPortProvider ports;
        QVERIFY(ports.ports().size() <= kMaxListedPorts);
        QVERIFY(ports.create(QStringLiteral("/dev/pts/999")) != nullptr);
        QVERIFY(ports.create(QString()) == nullptr);
        // A name is served without a look at the system's list; a port that is not there
        // fails to open, with the system's reason.
        auto unknown = ports.create(QStringLiteral("NOSUCHPORT77"));
        QVERIFY(unknown != nullptr);
        QVERIFY(!unknown->open(115200));
        QCOMPARE(unknown->openFailure().kind, OpenFailure::NotFound);
        QVERIFY(!unknown->openFailure().system.isEmpty());

        // A relative file in the working folder is a path too, and opening a plain file
        // fails with a reason rather than opening something under /dev.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QFile file(QStringLiteral("notaport"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        auto device = ports.create(QStringLiteral("notaport"));
        QDir::setCurrent(cwd);
        QVERIFY(device != nullptr);
        QVERIFY(!device->open(115200));
        QVERIFY(!device->openFailure().system.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPortNames)
#include "test_port_names.moc"
