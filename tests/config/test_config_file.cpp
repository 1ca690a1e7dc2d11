// The configuration file of the console: first-run seeding, the start-up load into the
// stores, the user sequence rewrite and where the file lives.

#include "ConfigFilePath.h"
#include "ConfigurationFile.h"
#include "IniTestFiles.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

using namespace zentor;
using namespace inifiles;

namespace {

template <std::size_t N>
QStringList used(const std::array<QString, N>& store)
{
    std::size_t end = N;
    while (end > 0 && store[end - 1].isEmpty()) --end;
    return QStringList(store.begin(), store.begin() + end);
}

const QString kRule = QStringLiteral("    ----------------------");

QStringList seededModels()
{
    return {"[Speed Control]",    kRule, "    Model S1 / Model S2", "    Model S3 / Model S4", "    Model S5",
            kRule,                "    Model S6 / Model S7",      "    Model S8 / Model S9",  "    Model S10",
            " ",                  "[Position Control]",           kRule,                      "    Model P1 / Model P2",
            "    Model P3 / Model P4", "    Model P5",              kRule,                      "    Model P6 / Model P7",
            "    Model P8",       "    Model P9 / Model P10"};
}
QStringList seededSpeed()
{
    return {"1,7,1,Speed",         "ENABLE-RUN,-,0.5,1", "BRAKE-OFF,-,0.5,1",   "DIR-CW,-,0.5,1",
            "SPEED-INPUT,1800,3,1", "DIR-CCW,-,0.5,1",    "SPEED-INPUT,900,3,1", "SPEED-INPUT,0,2,1"};
}
QStringList seededPosition()
{
    return {"1,10,1,Position",        "BRAKE-ON,-,0.5,1",       "POSITION-INPUT,100,0.5,1", "RESET-LOW,-,0.5,1",
            "POSITION-INPUT,0,0.5,1", "SPEED-INPUT,1000,0.5,1", "POSITION-INPUT,800,0.5,1", "BRAKE-OFF,-,4,1",
            "SPEED-INPUT,2000,0.5,1", "POSITION-INPUT,0,3,1",   "BRAKE-ON,-,0.5,1"};
}

}  // namespace

class TestConfigFile : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString path() const { return tmp_.filePath(QStringLiteral("Zentor_CFG.ini")); }
    QStringList entries() const { return QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void init()
    {
        for (const QString& f : entries()) QFile::remove(tmp_.filePath(f));
    }

    void load_data()
    {
        QTest::addColumn<QString>("fixture");  // empty: no file
        QTest::addColumn<bool>("seeded");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QStringList>("models");
        QTest::addColumn<QStringList>("speed");
        QTest::addColumn<QStringList>("position");
        QTest::addColumn<QStringList>("user");
        const QStringList none;
        const QStringList bare{"[Speed Control]", kRule, "[Position Control]", kRule};
        QTest::newRow("no file") << "" << true << 115200 << seededModels() << seededSpeed() << seededPosition() << none;
        QTest::newRow("marker TRUE") << "marker_caps.ini" << true << 115200 << seededModels() << seededSpeed()
                                     << seededPosition() << QStringList{"1,1,1,Position", "BRAKE-ON,-,0.5,1"};
        QTest::newRow("no Baudrate") << "no_baudrate.ini" << false << 0
                                     << QStringList{"[Speed Control]", kRule, "    S", " ", "[Position Control]", kRule, "    P"}
                                     << none << none << none;
        QTest::newRow("Baudrate 9600") << "baud_9600.ini" << false << 9600 << bare << none << none << none;
        QTest::newRow("Baudrate without leading digits") << "baud_text.ini" << false << 0 << bare << none << none << none;
        QTest::newRow("speed list without commas")
            << "speed_single.ini" << false << 0
            << QStringList{"[Speed Control]", kRule, "    Model S1", " ", "[Position Control]", kRule, "    P1", "    P2"}
            << none << none << none;
        QTest::newRow("trailing commas keep empty pieces")
            << "speed_trailing_comma.ini" << false << 0
            << QStringList{"[Speed Control]", kRule, "    A", "    B", "    ", " ", "[Position Control]", kRule, "    ", "    "}
            << none << none << none;
        QTest::newRow("empty lists") << "empty_lists.ini" << false << 0 << bare << none << none << none;
        QTest::newRow("SET count below the keys present")
            << "set_count_small.ini" << false << 0 << bare
            << seededSpeed().mid(0, 4).replaceInStrings("1,7,1,Speed", "1,3,1,Speed") << QStringList{"1,0,1,Position"} << none;
        QTest::newRow("SET with fewer than two commas")
            << "short_set.ini" << false << 0 << bare << seededSpeed().mid(0, 3).replaceInStrings("1,7,1,Speed", "1,2")
            << QStringList{"5"} << QStringList{"Speed"};
        QTest::newRow("empty user SET") << "user_empty_set.ini" << false << 0 << bare << none << none << none;
        QTest::newRow("missing user SET") << "user_set_missing.ini" << false << 0 << bare << none << none << none;
        QTest::newRow("300-character values")
            << "long_value.ini" << false << 0
            << QStringList{"[Speed Control]", kRule, "    " + QString(150, 'M') + QString(109, 'N'), " ", "[Position Control]", kRule}
            << none << none << QStringList{"1,1,1,Speed", "SPEED-INPUT," + QString(247, '9')};
        QTest::newRow("as Windows writes it")
            << "windows.ini" << false << 57600
            << QStringList{"[Speed Control]", kRule, "    A1 / A2 ", "     B1", " ", "[Position Control]", kRule, "    P1"}
            << QStringList{"1,2,1,Speed", "DIR-CW,-,0.5,1", "DIR-CCW,-,0.5,1"}
            << QStringList{"1,1,1,Position", "BRAKE-ON,-,0.5,1"} << QStringList{"1,1,1,Speed", "SPEED-INPUT,100,1,1"};
    }
    void load()
    {
        QFETCH(QString, fixture);
        QFETCH(bool, seeded);
        if (!fixture.isEmpty()) QVERIFY(QFile::copy(fixturePath(fixture), path()));
        IniProfile profile(path());
        ConsoleStores stores;
        stores.clear();
        const ConfigLoadResult r = LoadConfiguration(profile, stores);
        QCOMPARE(r.seeded, seeded);
        QVERIFY2(!r.seedWriteFailed, qPrintable(r.seedError));
        QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join('\n')));
        QTEST(stores.baudRate, "baud");
        QTEST(used(stores.modelList), "models");
        QTEST(used(stores.speedPreset), "speed");
        QTEST(used(stores.positionPreset), "position");
        QTEST(used(stores.userSequence), "user");
    }

    // One file as the editors of a Windows PC save it: each form is read whole, without
    // reseeding, and keeps its bytes when COM Config. changes the baud rate.
    void encodings_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("encoding");
        for (const char* encoding : {"utf8", "utf8bom", "utf16le", "utf16be", "cp1252"})
            for (const char* ending : {"crlf", "lf", "cr"})
                QTest::addRow("%s %s", encoding, ending)
                    << QStringLiteral("encoding_%1_%2.ini").arg(QLatin1String(encoding), QLatin1String(ending))
                    << QString::fromLatin1(encoding);
    }
    void encodings()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, encoding);
        const QByteArray original = inifiles::fixture(fixture);
        QVERIFY(!original.isEmpty());
        QVERIFY(writeBytes(path(), original));
        QVERIFY(backdate(path()));
        const QDateTime before = modified(path());
        IniProfile profile(path());
        ConsoleStores stores;
        stores.clear();
        const ConfigLoadResult r = LoadConfiguration(profile, stores);
        QVERIFY(!r.seeded);
        QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join('\n')));
        QCOMPARE(stores.baudRate, 9600);
        QCOMPARE(used(stores.modelList),
                 (QStringList{"[Speed Control]", kRule, QString::fromUtf16(u"    Model \u00C41"),
                              QString::fromUtf16(u"    Model \u20AC2"), " ", "[Position Control]", kRule,
                              QString::fromUtf16(u"    P\u0081")}));
        QCOMPARE(used(stores.userSequence), (QStringList{"1,2,1,Speed", "DIR-CW,-,0.5,1", "SPEED-INPUT,100,1,1"}));
        QVERIFY(used(stores.speedPreset).isEmpty());
        QCOMPARE(readBytes(path()), original);
        QCOMPARE(modified(path()), before);

        QVERIFY2(profile.write("COMPORT", "Baudrate", "19200"), qPrintable(profile.error()));
        auto inEncoding = [&](const QByteArray& ascii) {
            if (encoding == QLatin1String("utf16le")) return utf16(ascii, false);
            if (encoding == QLatin1String("utf16be")) return utf16(ascii, true);
            return ascii;
        };
        QByteArray expected = original;
        QCOMPARE(expected.count(inEncoding("Baudrate=9600")), 1);
        expected.replace(inEncoding("Baudrate=9600"), inEncoding("Baudrate=19200"));
        QCOMPARE(readBytes(path()), expected);
        stores.clear();
        QCOMPARE(LoadConfiguration(profile, stores).seeded, false);
        QCOMPARE(stores.baudRate, 19200);
        QCOMPARE(stores.modelList[3], QString::fromUtf16(u"    Model \u20AC2"));
    }

    // Whatever a file of more than 1 MiB is, it is not the console's: it is neither read nor
    // written, and the console runs on the defaults and says so.
    void aFileOverOneMebibyteIsLeftAlone_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("tooLarge");
        QTest::newRow("1 MiB") << 1048576 << false;
        QTest::newRow("1 MiB and a byte") << 1048577 << true;
    }
    void aFileOverOneMebibyteIsLeftAlone()
    {
        QFETCH(int, size);
        QFETCH(bool, tooLarge);
        QByteArray text = "[Zentor]\nConfig_INI=true\n[COMPORT]\nBaudrate=9600\n; ";
        text += QByteArray(size - text.size() - 1, 'x') + '\n';
        QCOMPARE(text.size(), size);
        QVERIFY(writeBytes(path(), text));
        QVERIFY(backdate(path()));
        const QDateTime before = modified(path());

        IniProfile profile(path());
        ConsoleStores stores;
        stores.clear();
        const ConfigLoadResult r = LoadConfiguration(profile, stores);
        QCOMPARE(r.tooLarge, tooLarge);
        QVERIFY(!r.seeded);
        if (!tooLarge) {
            QVERIFY(r.warnings.isEmpty());
            QCOMPARE(stores.baudRate, 9600);
            return;
        }
        QCOMPARE(r.warnings.size(), 1);
        QVERIFY2(r.warnings[0].contains(QDir::toNativeSeparators(path())) && r.warnings[0].contains(QLatin1String("1 MiB")), qPrintable(r.warnings[0]));
        QCOMPARE(stores.baudRate, 115200);
        QCOMPARE(used(stores.modelList), seededModels());
        QCOMPARE(used(stores.speedPreset), seededSpeed());
        QCOMPARE(used(stores.positionPreset), seededPosition());

        ConsoleStores seen;
        seen.clear();
        const ConfigLoadResult read = ReadConfiguration(profile, seen);
        QVERIFY(read.tooLarge);
        QCOMPARE(read.warnings, r.warnings);
        QCOMPARE(seen.baudRate, 115200);

        // The baud rate's Change and Save User Seq. are refused, naming the file.
        QVERIFY(!profile.write("COMPORT", "Baudrate", "19200"));
        QVERIFY2(profile.error().contains(path()), qPrintable(profile.error()));
        SequenceText user;
        user[0] = "1,1,1,Speed";
        user[1] = "DIR-CW,-,0.5,1";
        QVERIFY(!SaveUserSequence(profile, user, 1));
        QVERIFY2(profile.error().contains(path()), qPrintable(profile.error()));
        QCOMPARE(readBytes(path()), text);
        QCOMPARE(modified(path()), before);
        QCOMPARE(entries(), QStringList{"Zentor_CFG.ini"});
    }

    void firstStartSeedsSecondWritesNothing()
    {
        IniProfile profile(path());
        ConsoleStores stores;
        QVERIFY(LoadConfiguration(profile, stores).seeded);
        const QByteArray seeded = readBytes(path());
        QCOMPARE(seeded, fixture(QStringLiteral("seeded.ini")));

        QVERIFY(backdate(path()));
        const QDateTime before = modified(path());
        stores.clear();
        const ConfigLoadResult second = LoadConfiguration(profile, stores);
        QVERIFY(!second.seeded);
        QCOMPARE(readBytes(path()), seeded);
        QCOMPARE(modified(path()), before);
        QCOMPARE(entries(), QStringList{"Zentor_CFG.ini"});
        QCOMPARE(used(stores.speedPreset), seededSpeed());
    }

    void reseedKeepsUserSequenceAndOtherKeys()
    {
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("marker_caps.ini")), path()));
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        IniProfile profile(path());
        ConsoleStores stores;
        QVERIFY(LoadConfiguration(profile, stores).seeded);
        QCOMPARE(readBytes(path()), fixture(QStringLiteral("reseeded.ini")));
    }

    void seedingThatCannotBeSavedIsReported()
    {
        // The file's folder would be a regular file: nothing can be written there.
        QVERIFY(writeBytes(tmp_.filePath(QStringLiteral("not-a-folder")), "x"));
        IniProfile profile(tmp_.filePath(QStringLiteral("not-a-folder/Zentor_CFG.ini")));
        ConsoleStores stores;
        const ConfigLoadResult r = LoadConfiguration(profile, stores);
        QVERIFY(r.seeded);
        QVERIFY(r.seedWriteFailed);
        QVERIFY(r.seedError.contains(profile.path()));
        QCOMPARE(r.warnings.size(), 1);
        // The session still runs with the defaults.
        QCOMPARE(stores.baudRate, 115200);
        QCOMPARE(used(stores.modelList), seededModels());
        QCOMPARE(used(stores.positionPreset), seededPosition());
    }

    void saveUserSequenceReplacesTheWholeSection()
    {
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("seeded.ini")), path()));
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        IniProfile profile(path());
        IniEdit older;
        older.set("SEQ_TEST_USR", "SET", "1,5,1,Position");
        for (int i = 1; i <= 5; ++i) older.set("SEQ_TEST_USR", QString::number(i), "BRAKE-ON,-,0.5,1");
        QVERIFY(profile.apply(older));
        const QByteArray presets = readBytes(path()).left(fixture(QStringLiteral("seeded.ini")).size());

        SequenceText user;
        user[0] = "1,3,1,Speed";
        user[1] = "DIR-CW,-,0.5,1";
        user[2] = "SPEED-INPUT,1500,2,1";
        user[3] = "SPEED-INPUT,0,1,1";
        user[4] = "left over in memory";
        QVERIFY2(SaveUserSequence(profile, user, 3), qPrintable(profile.error()));
        QCOMPARE(profile.keys("SEQ_TEST_USR"), (QStringList{"SET", "1", "2", "3"}));
        QCOMPARE(readBytes(path()), fixture(QStringLiteral("seeded.ini")) +
                                        "\n[SEQ_TEST_USR]\nSET=1,3,1,Speed\n1=DIR-CW,-,0.5,1\n2=SPEED-INPUT,1500,2,1\n"
                                        "3=SPEED-INPUT,0,1,1\n");
        QVERIFY(readBytes(path()).startsWith(presets));

        ConsoleStores stores;
        LoadConfiguration(profile, stores);
        QCOMPARE(used(stores.userSequence), QStringList(user.begin(), user.begin() + 4));
    }

    // The expectations go into a section of their own, tied to the sequence they were saved
    // with; the described sections stay exactly as before.
    void userChecksBesideTheSequence()
    {
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("seeded.ini")), path()));
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        IniProfile profile(path());
        SequenceText user;
        user[0] = "1,2,1,Speed";
        user[1] = "SPEED-INPUT,1800,3,1";
        user[2] = "ENABLE-RUN,-,0.5,1";
        SequenceText checks;
        checks[1] = "rpm +-5%; alarm = 0";
        QVERIFY2(SaveUserSequence(profile, user, 2, &checks), qPrintable(profile.error()));
        const QByteArray sequence("\n[SEQ_TEST_USR]\nSET=1,2,1,Speed\n1=SPEED-INPUT,1800,3,1\n2=ENABLE-RUN,-,0.5,1\n");
        QCOMPARE(readBytes(path()), fixture(QStringLiteral("seeded.ini")) + sequence +
                                        "\n[SEQ_TEST_USR_CHECK]\nFOR=90b5fbcc0f2cc1ff\n1=rpm +-5%; alarm = 0\n2=\n");
        ConsoleStores stores;
        ConfigLoadResult r = LoadConfiguration(profile, stores);
        QCOMPARE(used(stores.userChecks), (QStringList{"", "rpm +-5%; alarm = 0"}));
        QVERIFY(r.warnings.isEmpty());

        // The other console rewrites the user sequence and leaves the expectations behind: they
        // belong to no item of the new list.
        IniEdit other;
        other.removeSection("SEQ_TEST_USR");
        other.set("SEQ_TEST_USR", "SET", "1,2,1,Speed");
        other.set("SEQ_TEST_USR", "1", "SPEED-INPUT,900,3,1");
        other.set("SEQ_TEST_USR", "2", "ENABLE-RUN,-,0.5,1");
        QVERIFY(profile.apply(other));
        stores.clear();
        r = LoadConfiguration(profile, stores);
        QCOMPARE(used(stores.userChecks), QStringList());
        QVERIFY(r.userChecksDropped);
        QCOMPARE(r.warnings, QStringList{"The expectations in [SEQ_TEST_USR_CHECK] were saved with another user sequence; "
                                         "they were left out."});

        // Expectations written by hand, without FOR, are taken as they stand.
        IniEdit byHand;
        byHand.removeSection("SEQ_TEST_USR_CHECK");
        byHand.set("SEQ_TEST_USR_CHECK", "1", "rpm 850..950");
        QVERIFY(profile.apply(byHand));
        stores.clear();
        r = LoadConfiguration(profile, stores);
        QCOMPARE(used(stores.userChecks), (QStringList{"", "rpm 850..950"}));
        QVERIFY(!r.userChecksDropped);
        QVERIFY(r.warnings.isEmpty());

        // A list without expectations leaves no section of them.
        user[1] = "SPEED-INPUT,900,3,1";
        QVERIFY(SaveUserSequence(profile, user, 2, &(checks = SequenceText{})));
        QCOMPARE(readBytes(path()), fixture(QStringLiteral("seeded.ini")) +
                                        "\n[SEQ_TEST_USR]\nSET=1,2,1,Speed\n1=SPEED-INPUT,900,3,1\n2=ENABLE-RUN,-,0.5,1\n");

        // A file only the described console ever wrote loads as before and stays untouched.
        const QByteArray before = readBytes(path());
        stores.clear();
        r = LoadConfiguration(profile, stores);
        QCOMPARE(used(stores.userSequence), (QStringList{"1,2,1,Speed", "SPEED-INPUT,900,3,1", "ENABLE-RUN,-,0.5,1"}));
        QCOMPARE(used(stores.userChecks), QStringList());
        QVERIFY(r.warnings.isEmpty());
        QCOMPARE(readBytes(path()), before);
    }

    // A save that cannot be made leaves the older user sequence whole, not half replaced.
    void failedSaveKeepsTheOldSequence()
    {
        const QByteArray old("[SEQ_TEST_USR]\nSET=1,2,1,Speed\n1=DIR-CW,-,0.5,1\n2=DIR-CCW,-,0.5,1\n");
        QVERIFY(writeBytes(path(), old));
        IniProfile profile(path());
        SequenceText user;
        user[0] = "1,2,1,Speed";
        user[1] = "ENABLE-RUN,-,0.5,1";
        user[2] = "ENABLE-STOP,-,0.5,\n1";
        QVERIFY(!SaveUserSequence(profile, user, 2));
        QVERIFY(!profile.error().isEmpty());
        QCOMPARE(readBytes(path()), old);
    }

    void excessIsLeftOutAndReported()
    {
        QStringList speedModels;
        for (int i = 0; i < 96; ++i) speedModels << QString(QChar('a' + i % 26));  // fits in 259 characters
        QByteArray text = "[Zentor]\nConfig_INI=true\n[CONTROL]\nSpeed Control=" + speedModels.join(',').toUtf8() +
                          "\nPosition Control=P1,P2,P3,P4,P5\n";
        text += "[SEQ_TEST_USR]\nSET=1,45,1,Speed\n";
        for (int i = 1; i <= 45; ++i) text += QByteArray::number(i) + "=DIR-CW,-," + QByteArray::number(i) + ",1\n";
        text += "[SEQ_TEST_PRE_SPEED]\nSET=1,50,1,Speed\n";  // claims 50, holds 39: nothing lost
        for (int i = 1; i <= 39; ++i) text += QByteArray::number(i) + "=DIR-CCW,-,1,1\n";
        text += "[SEQ_TEST_PRE_POSITION]\nSET=1,99999999999999999999,1,Position\n";
        for (int i = 1; i <= 41; ++i) text += QByteArray::number(i) + "=BRAKE-ON,-,1,1\n";
        text += "040=not item 40\n";
        QVERIFY(writeBytes(path(), text));

        IniProfile profile(path());
        ConsoleStores stores;
        const ConfigLoadResult r = LoadConfiguration(profile, stores);
        QCOMPARE(r.modelLinesDropped, 6);  // 2 + 96 + 1 + 2 + 5 lines needed
        QCOMPARE(stores.modelList[98], QStringLiteral(" "));
        QCOMPARE(stores.modelList[99], QStringLiteral("[Position Control]"));
        QCOMPARE(r.userItemsDropped, 6);
        QCOMPARE(stores.userSequence[39], QStringLiteral("DIR-CW,-,39,1"));
        QCOMPARE(r.speedPresetItemsDropped, 0);
        QCOMPARE(used(stores.speedPreset).size(), 40);
        QCOMPARE(r.positionPresetItemsDropped, 2);
        QCOMPARE(stores.positionPreset[39], QStringLiteral("BRAKE-ON,-,1,1"));
        QCOMPARE(r.warnings.size(), 3);
        QVERIFY(!r.seeded);
    }

    // A reader that must not write (zentor-cli) sees what the console's load fills in, and
    // leaves the file, or its absence, as it found it.
    void readOnlyLoad_data()
    {
        QTest::addColumn<QString>("fixture");  // empty: no file
        QTest::newRow("no file") << "";
        QTest::newRow("marker TRUE: seeded again at the next start") << "marker_caps.ini";
        QTest::newRow("seeded, with a user sequence") << "windows.ini";
    }
    void readOnlyLoad()
    {
        QFETCH(QString, fixture);
        QTemporaryDir consoles;
        const QString consolePath = consoles.filePath(QStringLiteral("Zentor_CFG.ini"));
        if (!fixture.isEmpty()) {
            QVERIFY(QFile::copy(fixturePath(fixture), path()));
            QVERIFY(QFile::copy(fixturePath(fixture), consolePath));
            QFile::setPermissions(consolePath, QFile::ReadOwner | QFile::WriteOwner);
            QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
            QVERIFY(backdate(path()));
        }
        const QDateTime before = modified(path());

        ConsoleStores read;
        read.clear();
        const ConfigLoadResult r = ReadConfiguration(IniProfile(path()), read);
        QCOMPARE(entries(), fixture.isEmpty() ? QStringList{} : QStringList{"Zentor_CFG.ini"});
        if (!fixture.isEmpty()) {
            QCOMPARE(readBytes(path()), inifiles::fixture(fixture));
            QCOMPARE(modified(path()), before);
        }

        IniProfile console(consolePath);
        ConsoleStores loaded;
        loaded.clear();
        QCOMPARE(r.seeded, LoadConfiguration(console, loaded).seeded);
        QCOMPARE(read.baudRate, loaded.baudRate);
        QCOMPARE(used(read.modelList), used(loaded.modelList));
        QCOMPARE(used(read.speedPreset), used(loaded.speedPreset));
        QCOMPARE(used(read.positionPreset), used(loaded.positionPreset));
        QCOMPARE(used(read.userSequence), used(loaded.userSequence));
    }

    void itemCount_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("count");
        QTest::newRow("header line") << "1,7,1,Speed" << 7;
        QTest::newRow("one comma") << "1,3" << 3;
        QTest::newRow("no comma") << "7" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("empty field") << "1,,1,Speed" << 0;
        QTest::newRow("blanks and text after digits") << "1, 12x,1" << 12;
        QTest::newRow("negative") << "1,-2,1,Speed" << 0;
        QTest::newRow("beyond int") << "1,99999999999,1" << std::numeric_limits<int>::max();
    }
    void itemCount()
    {
        QFETCH(QString, header);
        QTEST(SequenceItemCount(header), "count");
    }

    void filePath_data()
    {
        QTest::addColumn<QString>("exeDir");    // relative to the temporary folder
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("beside");
        QTest::newRow("writable folder") << "bin" << false << false << true;
        QTest::newRow("missing folder") << "gone" << false << false << false;
        QTest::newRow("read-only folder") << "bin" << false << true << false;
        QTest::newRow("read-only folder holding the file") << "bin" << true << true << true;
        QTest::newRow("installed, writable (~/.local, root)") << "prefix/bin" << false << false << false;
        QTest::newRow("installed, holding the file") << "prefix/bin" << true << false << true;
    }
    void filePath()
    {
        QFETCH(QString, exeDir);
        QFETCH(bool, fileThere);
        QFETCH(bool, readOnly);
        QFETCH(bool, beside);
        QTemporaryDir root;
        const QString exe = root.filePath(exeDir);
        const QString fallback = root.filePath(QStringLiteral("home/.config/Zentor"));
        if (exeDir != QLatin1String("gone")) QVERIFY(QDir().mkpath(exe));
        if (exeDir.startsWith(QLatin1String("prefix"))) {
#ifdef Q_OS_WIN
            // An installed console has the installer's uninstaller beside it.
            QVERIFY(writeBytes(root.filePath(QStringLiteral("prefix/bin/Uninstall.exe")), "MZ"));
#else
            // An installed console has its menu entry under the share/ beside its bin/.
            QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("prefix/share/applications"))));
            QVERIFY(writeBytes(root.filePath(QStringLiteral("prefix/share/applications/zentor.desktop")), "[Desktop Entry]\n"));
#endif
        }
        if (fileThere) QVERIFY(writeBytes(QDir(exe).filePath(QStringLiteral("Zentor_CFG.ini")), "[Zentor]\n"));
        auto restore = qScopeGuard([&] { QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        if (readOnly && !makeReadOnly(exe)) QSKIP("folder permissions do not bind this user (root)");
        // Looking, as a reader does, finds the same place and makes no folder.
        const ConfigFileLocation peeked = PeekConfigFilePath(exe, fallback);
        QCOMPARE(peeked.path, QDir(beside ? exe : fallback).filePath(QStringLiteral("Zentor_CFG.ini")));
        QCOMPARE(peeked.exists, fileThere);
        QVERIFY(!QFileInfo::exists(fallback));
        const QString got = ConfigFilePath(exe, fallback);
        QCOMPARE(got, QDir(beside ? exe : fallback).filePath(QStringLiteral("Zentor_CFG.ini")));
        if (!beside) QVERIFY(QFileInfo(fallback).isDir());
    }

#ifdef Q_OS_LINUX
    void userConfigFolderIsSharedByBothPrograms()
    {
        QTemporaryDir xdg;
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", xdg.path().toUtf8());
        auto restore = qScopeGuard([&] { saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved); });
        QCOMPARE(ConfigFilePath(xdg.filePath(QStringLiteral("no-such-bin"))), xdg.filePath(QStringLiteral("Zentor/Zentor_CFG.ini")));
        QVERIFY(QFileInfo(xdg.filePath(QStringLiteral("Zentor"))).isDir());
    }
#endif
#ifdef Q_OS_WIN
    void userConfigFolderIsTheRoamingApplicationData()
    {
        QTemporaryDir appData;
        const QByteArray saved = qgetenv("APPDATA");
        qputenv("APPDATA", QDir::toNativeSeparators(appData.path()).toUtf8());
        auto restore = qScopeGuard([&] { qputenv("APPDATA", saved); });
        QCOMPARE(ConfigFilePath(appData.filePath(QStringLiteral("no-such-folder"))),
                 appData.filePath(QStringLiteral("Zentor/Zentor_CFG.ini")));
        QVERIFY(QFileInfo(appData.filePath(QStringLiteral("Zentor"))).isDir());
    }

    void programFilesIsAnInstalledFolder()
    {
        // Writable (an administrator, or Wine), yet shared by every user.
        QTemporaryDir root;
        const QString exe = root.filePath(QStringLiteral("Programs/Zentor"));
        QVERIFY(QDir().mkpath(exe));
        const QByteArray saved = qgetenv("ProgramFiles");
        qputenv("ProgramFiles", QDir::toNativeSeparators(root.filePath(QStringLiteral("Programs"))).toUtf8());
        auto restore = qScopeGuard([&] { qputenv("ProgramFiles", saved); });
        const QString fallback = root.filePath(QStringLiteral("AppData/Zentor"));
        QCOMPARE(PeekConfigFilePath(exe, fallback).path, fallback + QStringLiteral("/Zentor_CFG.ini"));
        // A folder beside it whose name only begins the same is not under it.
        const QString other = root.filePath(QStringLiteral("Programs2/Zentor"));
        QVERIFY(QDir().mkpath(other));
        QCOMPARE(PeekConfigFilePath(other, fallback).path, other + QStringLiteral("/Zentor_CFG.ini"));
    }
#endif
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_config_file.moc"
