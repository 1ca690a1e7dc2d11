// The register mirror and the two layouts.

#include "RegisterMap.h"

#include <QTest>

using namespace zentor;

class TestRegisterMap : public QObject {
    Q_OBJECT
private slots:
    void layouts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("reg");
        QTest::newRow("speed MotorRpm") << 1 << int(MotorRpm) << 25;
        QTest::newRow("speed RunCommand") << 1 << int(RunCommand) << 3;
        QTest::newRow("speed SpeedCommand") << 1 << int(SpeedCommand) << 1;
        QTest::newRow("speed DirectionCommand") << 1 << int(DirectionCommand) << 2;
        QTest::newRow("speed MaxRpm") << 1 << int(MaxRpm) << 31;
        QTest::newRow("position SpeedCommand") << 2 << int(SpeedCommand) << 32;
        QTest::newRow("position RunCommand") << 2 << int(RunCommand) << 37;
        QTest::newRow("position MountDirection") << 2 << int(MountDirection) << 12;
        QTest::newRow("position TargetPositionHigh") << 2 << int(TargetPositionHigh) << 33;
        QTest::newRow("position ZeroPositionSet") << 2 << int(ZeroPositionSet) << 64;
        QTest::newRow("position DecelTime") << 2 << int(DecelTime) << 40;
    }
    void layouts()
    {
        QFETCH(int, type);
        QFETCH(int, role);
        QFETCH(int, reg);
        RegisterLayout layout;
        layout.apply(type);
        QCOMPARE(int(layout.registerOf(role)), reg);
    }

    void quantities()
    {
        RegisterLayout layout;
        QCOMPARE(layout.statusQuantity(), 0);
        layout.apply(SpeedControl);
        QCOMPARE(layout.statusQuantity(), 34);
        layout.apply(PositionControl);
        QCOMPARE(layout.statusQuantity(), 41);
        layout.apply(NoControl);
        QCOMPARE(layout.statusQuantity(), 0);
    }

    void slotsNotWrittenKeepTheirValues()
    {
        RegisterLayout layout;
        layout.apply(PositionControl);
        layout.apply(SpeedControl);
        const int kept[] = {3, 4, 5, 11, 12, 13, 24, 25, 29, 30, 31};
        for (int slot : kept) QCOMPARE(int(layout.registerOf(slot)), RegisterLayout::registerIn(PositionControl, slot));
        QCOMPARE(int(layout.registerOf(MotorRpm)), 25);
        layout.apply(NoControl);
        for (int slot = 0; slot < kRoleSlots; ++slot) QCOMPARE(int(layout.registerOf(slot)), 0);
        layout.apply(SpeedControl);
        QCOMPARE(int(layout.registerOf(PositionHigh)), 0);
    }

    void valuesClearedWhileTheImageKeepsItsBytes()
    {
        RegisterMap map;
        const uint8_t bytes[] = {0x05, 0xDC};
        map.image.write(2 * 64, bytes, 2);
        map.values.refresh(map.image);
        QCOMPARE(map.values.at(64), uint16_t(1500));
        map.values.clear();
        QCOMPARE(map.values.at(64), uint16_t(0));
        QCOMPARE(map.image.registerAt(64), uint16_t(1500));
        map.values.refresh(map.image);
        QCOMPARE(map.values.at(64), uint16_t(1500));
    }

    void signedPosition()
    {
        RegisterMap map;
        map.layout.apply(PositionControl);
        const uint8_t bytes[] = {0xFF, 0xFF, 0xFF, 0xFE};
        map.image.write(2 * 2, bytes, 4);
        map.values.refresh(map.image);
        QCOMPARE(map.signed32(PositionHigh, PositionLow), -2);
        QCOMPARE(CombineSigned32(0x0001, 0x0000), 65536);
    }

    void roleNames()
    {
        QCOMPARE(QString(RoleName(MotorRpm)), QString("MotorRpm"));
        QCOMPARE(QString(RoleName(Slot5)), QString());
        QCOMPARE(QString(RoleName(DecelTime)), QString("DecelTime"));
    }
};

QTEST_APPLESS_MAIN(TestRegisterMap)
#include "test_register_map.moc"
