// The INI reader and writer: files as Windows and people write them, rewrites that keep what
// they do not change, and writes that fail without harming the old file.

#include "IniProfile.h"
#include "IniTestFiles.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace zentor;
using namespace inifiles;

class TestIniProfile : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString file(const QString& name = QStringLiteral("Zentor_CFG.ini")) const { return tmp_.filePath(name); }
    QStringList entries() const { return QDir(tmp_.path()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void init()
    {
        for (const QString& f : entries()) QFile::remove(file(f));
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray win = fixture(QStringLiteral("windows.ini"));
        QTest::newRow("names in other case, blanks") << win << "Zentor" << "Config_INI" << "true";
        QTest::newRow("tabs, a commented-out key before") << win << "COMPORT" << "BAUDRATE" << "57600";
        QTest::newRow("blanks inside the value stay") << win << "CONTROL" << "Speed Control" << "A1 / A2 , B1";
        QTest::newRow("past a comment") << win << "SEQ_TEST_PRE_SPEED" << "2" << "DIR-CCW,-,0.5,1";
        QTest::newRow("blanks inside the brackets") << win << "seq_test_usr" << "SET" << "1,1,1,Speed";
        QTest::newRow("enclosing quotes dropped") << win << "SEQ_TEST_USR" << "1" << "SPEED-INPUT,100,1,1";
        QTest::newRow("missing key") << win << "COMPORT" << "Parity" << "dflt";
        QTest::newRow("missing section") << win << "SEQ_TEST_X" << "SET" << "dflt";
        QTest::newRow("a key of another section") << win << "CONTROL" << "Baudrate" << "dflt";
        QTest::newRow("empty value is not missing") << QByteArray("[A]\nk=\n") << "A" << "k" << "";
        QTest::newRow("first section of a name") << QByteArray("[A]\nx=1\n[a]\nk=2\n") << "A" << "k" << "dflt";
        QTest::newRow("first key of a name") << QByteArray("[A]\nk=1\nK=2\n") << "A" << "k" << "1";
        QTest::newRow("header without bracket") << QByteArray("[A\nk=1\n") << "A" << "k" << "1";
        QTest::newRow("no final line end") << QByteArray("[A]\nk=1") << "A" << "k" << "1";
        QTest::newRow("line without =") << QByteArray("[A]\nk\n") << "A" << "k" << "dflt";
        QTest::newRow("one quote only") << QByteArray("[A]\nk=\"x\n") << "A" << "k" << "\"x";
        QTest::newRow("single quotes") << QByteArray("[A]\nk='x, y'\n") << "A" << "k" << "x, y";
        QTest::newRow("UTF-8 text") << QByteArray("[A]\nk=50 \xc2\xb5s\n") << "A" << "k" << QString::fromUtf8("50 \xc2\xb5s");
        QTest::newRow("cut to 259") << "[A]\nk=" + QByteArray(259, 'a') + QByteArray(41, 'b') + "\n" << "A" << "k"
                                    << QString(259, QLatin1Char('a'));
        QTest::newRow("lines ended by CR alone") << QByteArray("[A]\rk=1\rj=2") << "A" << "j" << "2";
        QTest::newRow("mixed line ends") << QByteArray("[A]\r\nk=1\rj=2\n") << "a" << "J" << "2";
        QTest::newRow("UTF-16 LE") << "\xff\xfe" + utf16("[A]\r\nk=1\r\n", false) << "A" << "k" << "1";
        QTest::newRow("UTF-16 BE, CR alone") << "\xfe\xff" + utf16("[A]\rk=1\r", true) << "A" << "k" << "1";
        QTest::newRow("UTF-16 LE beyond ASCII") << QByteArray("\xff\xfe[\0A\0]\0\n\0k\0=\0\xac\x20\x3d\xd8\x00\xde", 20)
                                             << "A" << "k" << QString::fromUtf16(u"\u20AC\U0001F600");
        QTest::newRow("Windows-1252") << QByteArray("[A]\nk=\x80 \x9f \xe4\xfc\n") << "A" << "k"
                                      << QString::fromUtf16(u"\u20AC \u0178 \u00E4\u00FC");
        QTest::newRow("Windows-1252 undefined bytes") << QByteArray("[A]\nk=\x81\x8d\x8f\x90\x9d\n") << "A" << "k"
                                                      << QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D");
        QTest::newRow("UTF-8 mark before text that is not UTF-8") << QByteArray("\xef\xbb\xbf[A]\nk=\xe9\n") << "A" << "k"
                                                                  << QString::fromUtf16(u"\u00E9");
        QTest::newRow("no half character at the cut")
            << "[A]\nk=" + QByteArray(258, 'a') + QByteArray("\xf0\x9f\x98\x80") + "\n" << "A" << "k"
            << QString(258, QLatin1Char('a'));
    }
    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QVERIFY(writeBytes(file(), content));
        QTEST(IniProfile(file()).read(section, key, QStringLiteral("dflt")), "expected");
    }

    void missingFileGivesDefaults()
    {
        IniProfile p(file());
        QCOMPARE(p.read(QStringLiteral("Zentor"), QStringLiteral("Config_INI"), QStringLiteral("Check")), QStringLiteral("Check"));
        QCOMPARE(p.read(QStringLiteral("A"), QStringLiteral("k"), QString(300, QLatin1Char('x'))).size(), 259);
        QVERIFY(p.keys(QStringLiteral("A")).isEmpty());
        QVERIFY(!QFile::exists(file()));
    }

    void keysInFileOrderOnce()
    {
        QVERIFY(writeBytes(file(), "[U]\nSET=x\n; 9=no\n1=a\nset=y\n2=b\n[V]\n3=c\n"));
        QCOMPARE(IniProfile(file()).keys(QStringLiteral("u")), (QStringList{"SET", "1", "2"}));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");  // null: no file
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << "A" << "k" << QByteArray("[A]\nk=v\n");
        QTest::newRow("empty file") << QByteArray("") << "A" << "k" << QByteArray("[A]\nk=v\n");
        QTest::newRow("replace keeps spelling and blanks") << QByteArray("[a]\n K = old  \nj=1\n") << "A" << "k"
                                                           << QByteArray("[a]\n K = v\nj=1\n");
        QTest::newRow("replace keeps the line end") << QByteArray("[A]\r\nk=old\r\n[B]\n") << "A" << "k"
                                                    << QByteArray("[A]\r\nk=v\r\n[B]\n");
        QTest::newRow("append after the last key") << QByteArray("[A]\nx=1\n\n; about B\n[B]\nk=1\n") << "A" << "k"
                                                   << QByteArray("[A]\nx=1\nk=v\n\n; about B\n[B]\nk=1\n");
        QTest::newRow("section without keys") << QByteArray("[A]\n;k=1\n[B]\n") << "A" << "k"
                                              << QByteArray("[A]\nk=v\n;k=1\n[B]\n");
        QTest::newRow("new section after a blank line") << QByteArray("[B]\nx=1\n") << "A" << "k"
                                                        << QByteArray("[B]\nx=1\n\n[A]\nk=v\n");
        QTest::newRow("file already ends blank") << QByteArray("[B]\nx=1\n\n") << "A" << "k"
                                                 << QByteArray("[B]\nx=1\n\n[A]\nk=v\n");
        QTest::newRow("last line without end") << QByteArray("[B]\nx=1") << "A" << "k"
                                               << QByteArray("[B]\nx=1\n\n[A]\nk=v\n");
        QTest::newRow("append to a last line without end") << QByteArray("[A]\nx=1") << "A" << "k"
                                                           << QByteArray("[A]\nx=1\nk=v\n");
        QTest::newRow("CRLF file") << QByteArray("[B]\r\nx=1\r\n") << "A" << "k"
                                   << QByteArray("[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n");
        QTest::newRow("byte order mark stays") << QByteArray("\xef\xbb\xbf[A]\nk=old\n") << "A" << "k"
                                               << QByteArray("\xef\xbb\xbf[A]\nk=v\n");
        QTest::newRow("names trimmed") << QByteArray() << " A " << " k" << QByteArray("[A]\nk=v\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        if (!before.isNull()) QVERIFY(writeBytes(file(), before));
        IniProfile p(file());
        QVERIFY2(p.write(section, key, QStringLiteral("v")), qPrintable(p.error()));
        QVERIFY(p.error().isEmpty());
        QTEST(readBytes(file()), "after");
        QCOMPARE(entries(), QStringList{"Zentor_CFG.ini"});
    }

    // A write keeps the file's encoding and line ends; new lines take both.
    void writeInTheFilesForm_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("CR alone") << QByteArray("[A]\rk=1\r; end\r") << "n" << "v" << QByteArray("[A]\rk=1\rn=v\r; end\r");
        QTest::newRow("UTF-16 LE, new section") << "\xff\xfe" + utf16("[B]\r\nx=1", false) << "k" << "v"
                                               << "\xff\xfe" + utf16("[B]\r\nx=1\r\n\r\n[A]\r\nk=v\r\n", false);
        QTest::newRow("UTF-16 BE, CR alone") << "\xfe\xff" + utf16("[A]\rk=old\r", true) << "k" << "v"
                                            << "\xfe\xff" + utf16("[A]\rk=v\r", true);
        QTest::newRow("UTF-16 beyond ASCII") << "\xff\xfe" + utf16("[A]\nk=1\n", false) << "k" << QString::fromUtf16(u"\u00B5")
                                            << "\xff\xfe" + utf16("[A]\nk=", false) + QByteArray("\xb5\0", 2) + utf16("\n", false);
        QTest::newRow("Windows-1252") << QByteArray("; \xe9\n[A]\nk=1\n") << "k" << QString::fromUtf16(u"\u00E4\u20AC")
                                      << QByteArray("; \xe9\n[A]\nk=\xe4\x80\n");
        QTest::newRow("not in Windows-1252: '?'") << QByteArray("; \xe9\n[A]\nk=1\n") << "k"
                                                 << QString::fromUtf16(u"\u03A9 \U0001F600.")
                                                 << QByteArray("; \xe9\n[A]\nk=? ?.\n");
        QTest::newRow("UTF-8 mark before Windows-1252") << QByteArray("\xef\xbb\xbf[A]\nk=\xe9\n") << "j" << QString::fromUtf16(u"\u00FC")
                                                       << QByteArray("\xef\xbb\xbf[A]\nk=\xe9\nj=\xfc\n");
        QTest::newRow("UTF-8") << QByteArray("; \xc3\xa9\n[A]\nk=1\n") << "k" << QString::fromUtf16(u"\u00E4")
                               << QByteArray("; \xc3\xa9\n[A]\nk=\xc3\xa4\n");
    }
    void writeInTheFilesForm()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QVERIFY(writeBytes(file(), before));
        IniProfile p(file());
        QVERIFY2(p.write(QStringLiteral("A"), key, value), qPrintable(p.error()));
        QTEST(readBytes(file()), "after");
    }

    void rewriteKeepsUntouchedLines()
    {
        const QByteArray original = fixture(QStringLiteral("windows.ini"));
        QVERIFY(writeBytes(file(), original));
        IniProfile p(file());
        QVERIFY(p.apply(IniEdit()
                            .set(QStringLiteral("comport"), QStringLiteral("baudrate"), QStringLiteral("19200"))
                            .set(QStringLiteral("SEQ_TEST_PRE_SPEED"), QStringLiteral("3"), QStringLiteral("DIR-CW,-,1,1"))
                            .set(QStringLiteral("NEW"), QStringLiteral("k"), QStringLiteral("v"))));
        QByteArray expected = original;
        expected.replace("\tBaudrate\t=\t57600   \r\n", "\tBaudrate\t=\t19200\r\n");
        expected.replace("2=DIR-CCW,-,0.5,1\r\n", "2=DIR-CCW,-,0.5,1\r\n3=DIR-CW,-,1,1\r\n");
        expected += "\r\n[NEW]\r\nk=v\r\n";
        QCOMPARE(readBytes(file()), expected);
    }

    void removeSection_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("between blank lines") << QByteArray("[A]\na=1\n\n[U]\nSET=x\n1=y\n\n[B]\nb=1\n")
                                             << QByteArray("[A]\na=1\n\n[B]\nb=1\n");
        QTest::newRow("last section") << QByteArray("[A]\na=1\n\n[U]\nSET=x\n1=y\n") << QByteArray("[A]\na=1\n\n");
        QTest::newRow("no blank line before") << QByteArray("[A]\na=1\n[U]\n1=y\n\n[B]\n") << QByteArray("[A]\na=1\n\n[B]\n");
        QTest::newRow("first section") << QByteArray("[U]\n1=y\n\n[B]\nb=1\n") << QByteArray("[B]\nb=1\n");
        QTest::newRow("every copy, any case") << QByteArray("[U]\n1=a\n[A]\n[u]\n2=b\n") << QByteArray("[A]\n");
        QTest::newRow("CRLF, comments inside go too") << QByteArray("[A]\r\n\r\n[U]\r\n; mine\r\n1=y\r\n")
                                                      << QByteArray("[A]\r\n\r\n");
    }
    void removeSection()
    {
        QFETCH(QByteArray, before);
        QVERIFY(writeBytes(file(), before));
        IniProfile p(file());
        QVERIFY(p.removeSection(QStringLiteral("U")));
        QTEST(readBytes(file()), "after");
        QVERIFY(p.keys(QStringLiteral("U")).isEmpty());
    }

    void missingSectionRemovesNothing()
    {
        QVERIFY(writeBytes(file(), "[A]\na=1\n"));
        QVERIFY(backdate(file()));
        const QDateTime before = modified(file());
        IniProfile p(file());
        QVERIFY(p.removeSection(QStringLiteral("U")));
        QVERIFY(p.write(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("1")));  // same value
        QCOMPARE(readBytes(file()), QByteArray("[A]\na=1\n"));
        QCOMPARE(modified(file()), before);
    }

    // Whatever is refused, nothing of the edit reaches the file.
    void refusedEdit_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("value with LF") << "U" << "1" << "a\nb";
        QTest::newRow("value with CR") << "U" << "1" << "a\r";
        QTest::newRow("value with NUL") << "U" << "1" << QString(QChar(0));
        QTest::newRow("key with =") << "U" << "k=x" << "v";
        QTest::newRow("key like a comment") << "U" << ";k" << "v";
        QTest::newRow("key like a header") << "U" << "[k" << "v";
        QTest::newRow("empty key") << "U" << " " << "v";
        QTest::newRow("section with ]") << "U]" << "k" << "v";
        QTest::newRow("empty section") << "" << "k" << "v";
    }
    void refusedEdit()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before("[U]\nSET=1,2,1,Speed\n1=a\n2=b\n");
        QVERIFY(writeBytes(file(), before));
        IniProfile p(file());
        IniEdit edit;
        edit.removeSection(QStringLiteral("U")).set(QStringLiteral("U"), QStringLiteral("SET"), QStringLiteral("x"));
        QVERIFY(!p.apply(edit.set(section, key, value)));
        QVERIFY(!p.error().isEmpty());
        QCOMPARE(readBytes(file()), before);
        QVERIFY(p.write(QStringLiteral("U"), QStringLiteral("1"), QStringLiteral("c")));
        QVERIFY(p.error().isEmpty());
    }

    void failedWrite_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("parent is a file") << "parent-file";
        QTest::newRow("unreadable old file") << "unreadable";
#ifdef Q_OS_UNIX
        QTest::newRow("file size limit (disk full)") << "size-limit";
#endif
    }
    void failedWrite()
    {
        QFETCH(QString, how);
        const QString dir = file(QStringLiteral("sub"));
        QVERIFY(QDir().mkpath(dir));
        auto restore = qScopeGuard([&] { QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        QString path = QDir(dir).filePath(QStringLiteral("Zentor_CFG.ini"));
        const QByteArray old("[Zentor]\nConfig_INI=true\n");
        QVERIFY(writeBytes(path, old));
        const QString big(200, QLatin1Char('x'));
        IniProfile p(path);
        bool ok = true;
        if (how == QLatin1String("read-only")) {
            if (!makeReadOnly(dir)) QSKIP("folder permissions do not bind this user (root)");
            ok = p.write(QStringLiteral("COMPORT"), QStringLiteral("Baudrate"), QStringLiteral("9600"));
        } else if (how == QLatin1String("parent-file")) {
            path = QDir(path).filePath(QStringLiteral("Zentor_CFG.ini"));
            p = IniProfile(path);
            ok = p.write(QStringLiteral("COMPORT"), QStringLiteral("Baudrate"), QStringLiteral("9600"));
        } else if (how == QLatin1String("unreadable")) {
            QFile::setPermissions(QDir(dir).filePath(QStringLiteral("Zentor_CFG.ini")), QFile::WriteOwner);
            QFile probe(path);
            if (probe.open(QIODevice::ReadOnly)) QSKIP("file permissions do not bind this user (root)");
            ok = p.write(QStringLiteral("COMPORT"), QStringLiteral("Baudrate"), QStringLiteral("9600"));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        } else {
#ifdef Q_OS_UNIX
            // Files of this process may not grow past 64 bytes: the new text cannot be written.
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit small = saved;
            small.rlim_cur = 64;
            auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &small);
            ok = p.write(QStringLiteral("COMPORT"), QStringLiteral("Baudrate"), big);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
#endif
        }
        restore.dismiss();
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!ok);
        QVERIFY2(p.error().contains(path), qPrintable(p.error()));
        QVERIFY2(!p.error().section(QStringLiteral(": "), -1).trimmed().isEmpty(), qPrintable(p.error()));
        const QString oldPath = QDir(dir).filePath(QStringLiteral("Zentor_CFG.ini"));
        if (QFileInfo(oldPath).isFile()) QCOMPARE(readBytes(oldPath), old);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"Zentor_CFG.ini"});
    }

    void profileValueCallShape()
    {
        IniProfile p(file());
        bool ok = false;
        QCOMPARE(ProfileValue(p, true, QStringLiteral("COMPORT"), QStringLiteral("Baudrate"), QStringLiteral("9600"), &ok), QString());
        QVERIFY(ok);
        QCOMPARE(ProfileValue(p, false, QStringLiteral("comport"), QStringLiteral("baudrate"), QString()), QStringLiteral("9600"));
        QCOMPARE(ProfileValue(p, false, QStringLiteral("COMPORT"), QStringLiteral("Parity"), QStringLiteral("none")), QStringLiteral("none"));

        IniProfile nowhere(file() + QStringLiteral("/below/a/file.ini"));
        QCOMPARE(ProfileValue(nowhere, true, QStringLiteral("COMPORT"), QStringLiteral("Baudrate"), QStringLiteral("9600"), &ok), QString());
        QVERIFY(!ok);
        QVERIFY(!nowhere.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIniProfile)
#include "test_ini_profile.moc"
