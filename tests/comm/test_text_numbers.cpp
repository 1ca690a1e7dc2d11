// The number readings of text that the settings and sequence windows and zentor-cli share.

#include "TextNumbers.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace zentor;

class TestTextNumbers : public QObject {
    Q_OBJECT
private slots:
    void leadingInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("value");
        QTest::newRow("empty") << "" << 0LL;
        QTest::newRow("digits") << "1800" << 1800LL;
        QTest::newRow("blanks and sign") << "  -200" << -200LL;
        QTest::newRow("plus") << "+7" << 7LL;
        QTest::newRow("stops at a minus inside") << "12-3" << 12LL;
        QTest::newRow("stops at a point") << "3.9" << 3LL;
        QTest::newRow("letter first") << "a5" << 0LL;
        QTest::newRow("lone minus") << "-" << 0LL;
        QTest::newRow("int32 minimum") << "-2147483648" << -2147483648LL;
        QTest::newRow("saturates high") << "99999999999999999999" << std::numeric_limits<qlonglong>::max();
        QTest::newRow("saturates low") << "-99999999999999999999" << std::numeric_limits<qlonglong>::min();
        QTest::newRow("int64 minimum") << "-9223372036854775808" << std::numeric_limits<qlonglong>::min();
    }
    void leadingInteger()
    {
        QFETCH(QString, text);
        QTEST(qlonglong(LeadingInteger(text)), "value");
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("decimal") << "0.5" << 0.5;
        QTest::newRow("leading point") << ".25" << 0.25;
        QTest::newRow("trailing point") << "3." << 3.0;
        QTest::newRow("blanks and sign") << " -1.5x" << -1.5;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("signed exponent") << "25E-1" << 2.5;
        QTest::newRow("exponent without digits") << "5e" << 5.0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("comma is not a point") << "12,5" << 12.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(LeadingNumber(text), value);
    }

    void hugeNumber() { QVERIFY(std::isinf(LeadingNumber(QStringLiteral("1e999")))); }

    void scaledDecimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<qlonglong>("value");
        // Floating point would give 28, 1849 and 2499 for the first three.
        QTest::newRow("0.29 x 100") << "0.29" << 2 << 29LL;
        QTest::newRow("18.5 x 100") << "18.5" << 2 << 1850LL;
        QTest::newRow("2.5 x 1000") << "2.5" << 3 << 2500LL;
        QTest::newRow("655.35 x 100") << "655.35" << 2 << 65535LL;
        QTest::newRow("extra digits cut") << "1.234" << 2 << 123LL;
        QTest::newRow("negative cut toward zero") << "-1.239" << 2 << -123LL;
        QTest::newRow("whole number") << "5" << 3 << 5000LL;
        QTest::newRow("leading point") << ".7" << 3 << 700LL;
        QTest::newRow("empty") << "" << 2 << 0LL;
        QTest::newRow("stops at a letter") << "12a" << 2 << 1200LL;
        QTest::newRow("saturates") << "99999999999999999999" << 2 << std::numeric_limits<qlonglong>::max();
    }
    void scaledDecimal()
    {
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QTEST(qlonglong(ScaledDecimal(text, decimals)), "value");
    }
};

QTEST_GUILESS_MAIN(TestTextNumbers)
#include "test_text_numbers.moc"
