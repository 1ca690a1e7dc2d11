// Request frames, the checksum and the check of an answer against its request.

#include "Crc16Modbus.h"
#include "ModbusFrames.h"

#include <QTest>
#include <vector>

using namespace zentor;

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list) out.append(static_cast<char>(b));
    return out;
}


const uint8_t* u8(const QByteArray& a) { return reinterpret_cast<const uint8_t*>(a.constData()); }

struct Exchange {
    RegisterImage image;
    bool settingsChanged = false;
    uint8_t request[kFrameBufferSize]{};
    int check(const QByteArray& rx) { return ValidateAndApplyResponse(u8(rx), int(rx.size()), request, image, settingsChanged); }
};

}  // namespace

class TestFrames : public QObject {
    Q_OBJECT
private slots:
    void sequenceRequests_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("frame");  // without the checksum
        QTest::newRow("write") << int(WriteRegister) << 1 << 1800 << QByteArray::fromHex("640600010708");
        QTest::newRow("write keeps the low 16 bits") << int(WriteRegister) << 31 << 70000 << QByteArray::fromHex("6406001F1170");
        QTest::newRow("pair, negative") << int(WriteRegisterPair) << 33 << -200 << QByteArray::fromHex("64100021000204FFFFFF38");
        QTest::newRow("apply") << int(ApplySettings) << 0 << 0 << QByteArray::fromHex("6406F001A1A1");
    }
    void sequenceRequests()
    {
        QFETCH(int, kind);
        QFETCH(int, reg);
        QFETCH(int, value);
        QFETCH(QByteArray, frame);
        uint8_t out[kFrameBufferSize]{};
        const int n = BuildSequenceRequest(out, 100, SequenceCommand{kind, reg, value}, 33);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), n), WithCrc(frame));
    }

    void crc()
    {
        QCOMPARE(Crc16Modbus(nullptr, 0), uint16_t(0xFFFF));
        const char* text = "123456789";  // the standard check value of CRC-16/MODBUS
        QCOMPARE(Crc16Modbus(reinterpret_cast<const uint8_t*>(text), 9), uint16_t(0x4B37));
    }

    void builders_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        uint8_t out[kFrameBufferSize];
        int n = BuildReadHoldingRegisters(out, 100, 41);
        QTest::newRow("read 41") << QByteArray(reinterpret_cast<char*>(out), n) << bytes({0x64, 0x03, 0, 0, 0, 0x29, 0x8D, 0xE1});
        n = BuildReadHoldingRegisters(out, 0, 1);
        QTest::newRow("identity query") << QByteArray(reinterpret_cast<char*>(out), n) << bytes({0, 3, 0, 0, 0, 1, 0x85, 0xDB});
        n = BuildWriteSingleRegister(out, 100, 0x40, 1);
        QTest::newRow("write single") << QByteArray(reinterpret_cast<char*>(out), n) << bytes({0x64, 6, 0, 0x40, 0, 1, 0x40, 0x2B});
        const uint8_t data[] = {0x00, 0x00, 0x05, 0xB1};
        n = BuildWriteMultipleRegisters(out, 100, 0x21, 2, data);
        QTest::newRow("write multiple") << QByteArray(reinterpret_cast<char*>(out), n)
                                        << bytes({0x64, 0x10, 0, 0x21, 0, 2, 4, 0, 0, 5, 0xB1, 0x1C, 0x92});
        n = BuildReadHoldingRegisters(out, 0x164, 0x123);
        QTest::newRow("narrowed address, big quantity") << QByteArray(reinterpret_cast<char*>(out), n).left(6)
                                                        << bytes({0x64, 3, 0, 0, 0x01, 0x23});
        n = BuildWriteSingleRegister(out, 100, 2, uint16_t(-2));
        QTest::newRow("negative value") << QByteArray(reinterpret_cast<char*>(out), n).mid(4, 2) << bytes({0xFF, 0xFE});
    }
    void builders()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    void readAppliesRegisters()
    {
        Exchange x;
        BuildReadHoldingRegisters(x.request, 100, 2);
        QCOMPARE(x.check(WithCrc(bytes({0x64, 3, 4, 0x12, 0x34, 0xAB, 0xCD}))), int(Applied));
        QCOMPARE(x.image.registerAt(0), uint16_t(0x1234));
        QCOMPARE(x.image.registerAt(1), uint16_t(0xABCD));
        QVERIFY(!x.settingsChanged);
    }

    // Each row: request, response, expected result, and whether the image must be untouched.
    void checks_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<int>("result");
        uint8_t f[kFrameBufferSize];
        const QByteArray read2 = QByteArray(reinterpret_cast<char*>(f), BuildReadHoldingRegisters(f, 100, 2));
        const QByteArray read41 = QByteArray(reinterpret_cast<char*>(f), BuildReadHoldingRegisters(f, 100, 41));
        const QByteArray readBig = QByteArray(reinterpret_cast<char*>(f), BuildReadHoldingRegisters(f, 100, 0x123));
        const QByteArray write = QByteArray(reinterpret_cast<char*>(f), BuildWriteSingleRegister(f, 100, 0x40, 1));
        const QByteArray toSlave0 = QByteArray(reinterpret_cast<char*>(f), BuildReadHoldingRegisters(f, 0, 1));
        const uint8_t pair[] = {0x00, 0x00, 0x05, 0xB1};
        const QByteArray writeMany = QByteArray(reinterpret_cast<char*>(f), BuildWriteMultipleRegisters(f, 100, 0x21, 2, pair));
        const QByteArray addressChange = QByteArray(reinterpret_cast<char*>(f), BuildWriteSingleRegister(f, 5, 0xF000, 7));

        QTest::newRow("other slave") << read2 << WithCrc(bytes({0x65, 3, 4, 1, 2, 3, 4})) << int(AddressMismatch);
        QTest::newRow("any slave answers address 0") << toSlave0 << WithCrc(bytes({0x07, 3, 2, 0x12, 0x34})) << int(Applied);
        QTest::newRow("exception answer") << read2 << WithCrc(bytes({0x64, 0x83, 2})) << int(FunctionMismatch);
        QTest::newRow("bad checksum") << read2 << bytes({0x64, 3, 4, 1, 2, 3, 4, 0, 0}) << int(ChecksumMismatch);
        QTest::newRow("short count") << read2 << WithCrc(bytes({0x64, 3, 2, 1, 2})) << int(QuantityMismatch);
        QTest::newRow("odd count 83 for 41") << read41 << WithCrc(bytes({0x64, 3, 83}) + QByteArray(83, 1)) << int(Applied);
        QTest::newRow("quantity 0x123 compared as 0x23")
            << readBig << WithCrc(bytes({0x64, 3, 0x46}) + QByteArray(0x46, 0)) << int(Applied);
        QTest::newRow("echo of another value") << write << WithCrc(bytes({0x64, 6, 0, 0x40, 0, 2})) << int(QuantityMismatch);
        // A write is confirmed only by the echo of the register written (06) or of the start
        // register (16); the image keys on the low byte, so a high byte of its own counts too.
        QTest::newRow("echo of another register") << write << WithCrc(bytes({0x64, 6, 0, 0x41, 0, 1})) << int(RegisterMismatch);
        QTest::newRow("echo of another register page") << write << WithCrc(bytes({0x64, 6, 0x01, 0x40, 0, 1})) << int(RegisterMismatch);
        QTest::newRow("echo of the written register") << write << WithCrc(bytes({0x64, 6, 0, 0x40, 0, 1})) << int(Applied);
        QTest::newRow("write multiple, another start") << writeMany << WithCrc(bytes({0x64, 0x10, 0, 0x22, 0, 2})) << int(RegisterMismatch);
        QTest::newRow("write multiple, start page differs") << writeMany << WithCrc(bytes({0x64, 0x10, 0xF0, 0x21, 0, 2})) << int(RegisterMismatch);
        QTest::newRow("write multiple, its start") << writeMany << WithCrc(bytes({0x64, 0x10, 0, 0x21, 0, 2})) << int(Applied);
        // The change of address is answered from the new address, but about 0xF000 only.
        QTest::newRow("address change from the new address") << addressChange << WithCrc(bytes({7, 6, 0xF0, 0, 0, 7})) << int(Applied);
        QTest::newRow("address change, echo of 0xF001") << addressChange << WithCrc(bytes({7, 6, 0xF0, 1, 0, 7})) << int(RegisterMismatch);
        QTest::newRow("address change, echo of register 0") << addressChange << WithCrc(bytes({5, 6, 0, 0, 0, 7})) << int(RegisterMismatch);
        // A checksum that passes over fewer bytes than arrived, or over a cut-off frame, must not
        // let bytes that never arrived into the image.
        QTest::newRow("read answer cut short") << read2 << WithCrc(bytes({0x64, 3, 4, 1, 2})) << int(LengthMismatch);
        QTest::newRow("read answer too long") << read2 << WithCrc(bytes({0x64, 3, 4, 1, 2, 3, 4, 5})) << int(LengthMismatch);
        QTest::newRow("write answer cut short") << write << WithCrc(bytes({0x64, 6, 0, 0x40})) << int(LengthMismatch);
        QTest::newRow("two bytes only") << read2 << bytes({0x64, 3}) << int(LengthMismatch);
    }
    void checks()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, response);
        QFETCH(int, result);
        Exchange x;
        std::copy(request.begin(), request.end(), x.request);
        QCOMPARE(x.check(response), result);
        if (result != Applied) {
            for (int i = 0; i < RegisterImage::kRegisters; ++i) QCOMPARE(x.image.registerAt(i), uint16_t(0));
            QVERIFY(!x.settingsChanged);
        }
    }

    void writeSingleStoresEchoAtLowByteIndex()
    {
        Exchange x;
        BuildWriteSingleRegister(x.request, 100, 0x0140, 0x1234);
        QCOMPARE(x.check(WithCrc(bytes({0x64, 6, 0x01, 0x40, 0x12, 0x34}))), int(Applied));
        QCOMPARE(x.image.registerAt(0x40), uint16_t(0x1234));
        QVERIFY(x.settingsChanged);
    }

    void writeMultipleAppliesRequestData()
    {
        Exchange x;
        const uint8_t data[] = {0x00, 0x00, 0x05, 0xB1};
        BuildWriteMultipleRegisters(x.request, 100, 0x21, 2, data);
        QCOMPARE(x.check(WithCrc(bytes({0x64, 0x10, 0, 0x21, 0, 2}))), int(Applied));
        QCOMPARE(x.image.registerAt(33), uint16_t(0x0000));
        QCOMPARE(x.image.registerAt(34), uint16_t(0x05B1));
        QVERIFY(x.settingsChanged);
    }

    void identityRegisters()
    {
        // A change of address is answered from the new address; nothing is mirrored.
        Exchange x;
        BuildWriteSingleRegister(x.request, 5, 0xF000, 7);
        QCOMPARE(x.check(WithCrc(bytes({7, 6, 0xF0, 0, 0, 7}))), int(Applied));
        QCOMPARE(x.image.registerAt(0), uint16_t(0));
        QVERIFY(!x.settingsChanged);
        // Applying settings must come from the addressed slave, and is not mirrored either.
        BuildWriteSingleRegister(x.request, 5, 0xF001, 0xA1A1);
        QCOMPARE(x.check(WithCrc(bytes({7, 6, 0xF0, 1, 0xA1, 0xA1}))), int(AddressMismatch));
        QCOMPARE(x.check(WithCrc(bytes({5, 6, 0xF0, 1, 0xA1, 0xA1}))), int(Applied));
        QCOMPARE(x.image.registerAt(1), uint16_t(0));
        QVERIFY(!x.settingsChanged);
    }

    void dataPastTheImageIsRejected()
    {
        Exchange x;
        // Register 0x50 at 2 registers fits; register 0x7C + 2 registers does not.
        const uint8_t data[] = {1, 2, 3, 4};
        BuildWriteMultipleRegisters(x.request, 100, 0x7C, 2, data);
        QCOMPARE(x.check(WithCrc(bytes({0x64, 0x10, 0, 0x7C, 0, 2}))), int(OutsideImage));
        BuildWriteSingleRegister(x.request, 100, 0x00C8, 9);
        QCOMPARE(x.check(WithCrc(bytes({0x64, 6, 0, 0xC8, 0, 9}))), int(OutsideImage));
        QVERIFY(!x.settingsChanged);
        BuildWriteMultipleRegisters(x.request, 100, 0x7B, 2, data);
        QCOMPARE(x.check(WithCrc(bytes({0x64, 0x10, 0, 0x7B, 0, 2}))), int(Applied));
        QCOMPARE(x.image.registerAt(124), uint16_t(0x0304));
    }
};

QTEST_APPLESS_MAIN(TestFrames)
#include "test_frames.moc"
