// The recording of status reads through the real main window in virtual time: one CSV row per
// applied status read, read back with a CSV reader; Stop; a write that fails (a size limit hit
// in the middle of a row, a full device) ends it with its message and leaves a valid file; a
// change of control type ends it.

#include "CsvReader.h"
#include "RecordPanel.h"
#include "StatusRecord.h"
#include "SizeLimit.h"
#include "main/Rig.h"

#include <QDir>
#include <QRegularExpression>

#include <csignal>
#include <cstring>

using namespace zentor;
using namespace zentor::monitor;
using namespace zentor::testing;

namespace {

const QString kSpeed = QStringLiteral("SIM-SPEED");
const QString kPosition = QStringLiteral("SIM-POSITION");

QList<QStringList> readCsv(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QList<QStringList> rows;
    QString problem;
    if (!ReadCsv(QString::fromUtf8(f.readAll()), rows, &problem)) qWarning("not a valid CSV: %s", qPrintable(problem));
    return rows;
}

}  // namespace

class TestRecording : public QObject {
    Q_OBJECT
private slots:
    void everyStatusReadBecomesOneRow()
    {
        Rig r;
        RecordPanel* panel = r.w->findChild<RecordPanel*>();
        QVERIFY(panel);
        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("run.csv"));
        r.start(kSpeed, SpeedControl);
        panel->recordButton()->click();
        QCOMPARE(r.saveTitles.last(), QStringLiteral("Record the status reads"));
        QVERIFY2(QRegularExpression(QStringLiteral("^zentor-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.csv$")).match(r.saveProposals.last()).hasMatch(),
                 qPrintable(r.saveProposals.last()));
        QCOMPARE(panel->stateText(), QStringLiteral("Recording"));
        QVERIFY(!panel->recordButton()->isEnabled());
        QCOMPARE(panel->fileText(), QDir::toNativeSeparators(r.saveAs));
        // RUN between the reads: its answer is no status read and makes no row.
        r.w->pending().address = 3;
        r.w->pending().value = 1;
        r.w->pending().kind = WriteSingle;
        r.after(700);  // reads at 0, 300 and 600, each answered
        QCOMPARE(panel->rowsText(), QStringLiteral("Rows: 3"));

        const QList<QStringList> csv = readCsv(r.saveAs);
        QCOMPARE(csv.size(), 4);
        const QStringList header = csv[0];
        QCOMPARE(header, record::StatusRecordHeader(SpeedControl));
        auto column = [&header](const char* name) { return int(header.indexOf(QLatin1String(name))); };
        QList<int64_t> elapsed;
        QList<QDateTime> times;
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(csv[i].size(), header.size());
            QCOMPARE(csv[i][column("control_type")], QStringLiteral("speed"));
            elapsed << csv[i][column("elapsed_ms")].toLongLong();
            times << QDateTime::fromString(csv[i][column("time")], Qt::ISODateWithMs);
            QVERIFY(times.last().isValid());
        }
        // One status read every 300 ms, on the console's clock and on the wall-clock times alike.
        QCOMPARE(elapsed[1] - elapsed[0], int64_t(300));
        QCOMPARE(elapsed[2] - elapsed[1], int64_t(300));
        QCOMPARE(times[0].msecsTo(times[2]), int64_t(600));
        // The last row holds the registers the window shows now, decoded as the panel shows them.
        const RegisterMap& m = r.w->registers();
        const QStringList& last = csv[3];
        for (int reg = 0; reg < 34; ++reg) QCOMPARE(last[15 + reg], QString::number(m.values.at(reg)));
        QCOMPARE(last[column("rpm")], QString::number(m.value(MotorRpm)));
        QCOMPARE(last[column("run_state")], QStringLiteral("RUN"));
        QCOMPARE(last[column("reg31_MaxRpm")], QString::number(m.value(MaxRpm)));

        panel->stopButton()->click();
        QCOMPARE(panel->stateText(), QStringLiteral("Not recording"));
        r.after(900);
        QCOMPARE(readCsv(r.saveAs).size(), 4);
        QVERIFY(r.notes.texts.isEmpty());
    }

    void aFailedWriteEndsTheRecordingWithTheRowsBeforeIt()
    {
        Rig r;
        RecordPanel* panel = r.w->findChild<RecordPanel*>();
        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("run.csv"));
        r.start(kSpeed, SpeedControl);
        panel->recordButton()->click();
        const qint64 header = QFileInfo(r.saveAs).size();
        r.after(100);  // the first row
        const qint64 first = QFileInfo(r.saveAs).size();
        const qint64 row = first - header;
        QVERIFY(row > 100);
        {
            // Room for one more row and half of the next.
            SizeLimit limit(first + row + row / 2);
            if (!limit.ok()) QSKIP("the file-size limit cannot be set here");
            r.after(600);
        }
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("The recording stopped.")});
        QCOMPARE(r.notes.details.last(),
                 QStringLiteral("%1: %2\nThe 2 rows before it are kept.").arg(r.saveAs, QString::fromLocal8Bit(strerror(EFBIG))));
        QCOMPARE(panel->stateText(), QStringLiteral("Not recording"));
        QVERIFY(panel->recordButton()->isEnabled());
        // Nothing of the third row is left: the file ends with the second row's line end.
        QVERIFY(QFileInfo(r.saveAs).size() < first + row + row / 2);
        const QList<QStringList> csv = readCsv(r.saveAs);
        QCOMPARE(csv.size(), 3);
        QCOMPARE(csv[2].size(), csv[0].size());
        // Polling goes on without the recording.
        QVERIFY(r.w->running());
    }

    void aDeviceWithNoRoomIsSaidAtTheStart()
    {
        if (!QFile::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full here");
        Rig r;
        RecordPanel* panel = r.w->findChild<RecordPanel*>();
        r.saveAs = QStringLiteral("/dev/full");
        r.start(kSpeed, SpeedControl);
        panel->recordButton()->click();
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("The recording could not be started.")});
        QCOMPARE(r.notes.details.last(), QStringLiteral("/dev/full: ") + QString::fromLocal8Bit(strerror(ENOSPC)));
        QCOMPARE(panel->stateText(), QStringLiteral("Not recording"));
        r.after(600);
        QCOMPARE(r.notes.texts.size(), 1);
    }

    void anotherControlTypeEndsTheRecording()
    {
        Rig r;
        RecordPanel* panel = r.w->findChild<RecordPanel*>();
        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("run.csv"));
        r.start(kSpeed, SpeedControl);
        panel->recordButton()->click();
        r.after(700);  // three reads answered
        r.press(ids::StartStop);
        r.after(500);
        r.press(ids::OpenClose);
        r.after(500);
        r.start(kPosition, PositionControl);
        r.after(100);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("The recording stopped.")});
        QCOMPARE(r.notes.details.last(), QStringLiteral("The control type changed; 3 rows are in %1.").arg(r.saveAs));
        const QList<QStringList> csv = readCsv(r.saveAs);
        QCOMPARE(csv.size(), 4);
        QCOMPARE(csv[3][2], QStringLiteral("speed"));
    }

    void recordingNeedsAControlTypeAndAFile()
    {
        Rig r;
        RecordPanel* panel = r.w->findChild<RecordPanel*>();
        panel->recordButton()->click();
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Select the control type first.")});
        QVERIFY(r.saveTitles.isEmpty());
        r.selectType(PositionControl);
        panel->recordButton()->click();  // the choice is cancelled
        QCOMPARE(r.saveTitles.size(), 1);
        QCOMPARE(panel->stateText(), QStringLiteral("Not recording"));
        QCOMPARE(r.notes.texts.size(), 1);
    }
};

QTEST_MAIN(TestRecording)
#include "test_recording.moc"
