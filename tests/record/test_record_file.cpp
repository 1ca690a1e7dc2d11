// The file of a recording keeps whole records only: appended records arrive whole, and a write
// that fails (a full device, a file-size limit reached in the middle of a record) leaves the
// records before it and nothing of the failed one, with the file and the system's reason.

#include "RecordFile.h"
#include "SizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zentor::record;
using zentor::testing::SizeLimit;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class TestRecordFile : public QObject {
    Q_OBJECT
private slots:
    void recordsArriveWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        RecordFile f;
        QVERIFY(f.open(path));
        QVERIFY(f.append("a,b\n"));
        QVERIFY(f.append("1,2\n"));
        // Nothing waits in a buffer: another reader sees both records at once.
        QCOMPARE(readAll(path), QByteArray("a,b\n1,2\n"));
        QCOMPARE(f.records(), int64_t(2));
        QCOMPARE(f.bytes(), int64_t(8));
    }

    void openingEmptiesAnOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old contents that are longer\n");
        }
        RecordFile f;
        QVERIFY(f.open(path));
        QVERIFY(f.append("x\n"));
        QCOMPARE(readAll(path), QByteArray("x\n"));
    }

    void aFolderThatIsNotThereIsSaid()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no/such/folder/r.csv"));
        RecordFile f;
        QVERIFY(!f.open(path));
        QVERIFY2(f.error().startsWith(QDir::toNativeSeparators(path) + QStringLiteral(": ")), qPrintable(f.error()));
        QVERIFY(!f.append("x\n"));
    }

    void aFullDeviceFailsTheRecordWithItsReason()
    {
        if (!QFile::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full here");
        RecordFile f;
        QVERIFY(f.open(QStringLiteral("/dev/full")));
        QVERIFY(!f.append("time,rpm\n"));
        QVERIFY(!f.isOpen());
        QCOMPARE(f.error(), QStringLiteral("/dev/full: ") + QString::fromLocal8Bit(strerror(ENOSPC)));
        QCOMPARE(f.records(), int64_t(0));
    }

    void aRecordCutShortIsTakenBackOut()
    {
#ifdef SIGXFSZ
        std::signal(SIGXFSZ, SIG_IGN);
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.csv"));
        RecordFile f;
        QVERIFY(f.open(path));
        const QByteArray record(30, 'x');
        const QByteArray line = record.chopped(1) + '\n';
        {
            // Room for three records and a third of the fourth.
            SizeLimit limit(100);
            if (!limit.ok()) QSKIP("the file-size limit cannot be set here");
            for (int i = 0; i < 3; ++i) QVERIFY(f.append(line));
            QVERIFY(!f.append(line));
        }
        QVERIFY(!f.isOpen());
        QCOMPARE(f.error(), path + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(EFBIG)));
        QCOMPARE(readAll(path), line + line + line);
        QCOMPARE(f.records(), int64_t(3));
    }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "test_record_file.moc"
