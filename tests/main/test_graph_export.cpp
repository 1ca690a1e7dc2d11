// The current graph's context menu: the graph saved as a PNG of its own pixels, and its samples
// saved as CSV, oldest first, in amperes, with their times; a file that cannot be written is said.

#include "ChartDraw.h"
#include "CsvReader.h"
#include "Rig.h"

#include <QImage>
#include <QMenu>

using namespace zentor;
using namespace zentor::testing;

namespace {

const QString kSpeed = QStringLiteral("SIM-SPEED");

// Opens the graph's context menu and picks the entry with the given caption.
bool pick(Rig& r, const QString& caption)
{
    emit r.w->chart()->customContextMenuRequested(QPoint(20, 20));
    auto* menu = r.w->chart()->findChild<QMenu*>(QStringLiteral("graphMenu"));
    if (!menu) return false;
    bool found = false;
    for (QAction* a : menu->actions())
        if (a->text() == caption) {
            a->trigger();
            found = true;
        }
    menu->close();
    delete menu;
    return found;
}

QList<QStringList> csvOf(const QString& path)
{
    QFile f(path);
    QList<QStringList> rows;
    if (f.open(QIODevice::ReadOnly)) ReadCsv(QString::fromUtf8(f.readAll()), rows);
    return rows;
}

}  // namespace

class TestGraphExport : public QObject {
    Q_OBJECT
private slots:
    void graphIsSavedAsItsOwnPixels()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(1000);
        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("graph.png"));
        QVERIFY(pick(r, QStringLiteral("Save Graph as PNG...")));
        QCOMPARE(r.saveTitles.last(), QStringLiteral("Save the current graph"));
        QVERIFY(r.saveProposals.last().endsWith(QLatin1String(".png")));
        QImage saved(r.saveAs);
        QVERIFY(!saved.isNull());
        const QImage& shown = r.w->chart()->Bitmap();
        const qreal ratio = r.w->chart()->devicePixelRatioF();
        QCOMPARE(saved.size(), (r.w->chart()->contentsRect().size() * ratio));
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), shown.convertToFormat(QImage::Format_RGB32));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void samplesAreSavedOldestFirstWithTheirTimes()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.w->pending().address = 1;  // a target speed, so the current moves
        r.w->pending().value = 1500;
        r.w->pending().kind = WriteSingle;
        r.after(400);
        r.w->pending().address = 3;  // RUN
        r.w->pending().value = 1;
        r.w->pending().kind = WriteSingle;
        r.after(2000);
        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("samples.csv"));
        QVERIFY(pick(r, QStringLiteral("Save Samples as CSV...")));
        const QList<QStringList> csv = csvOf(r.saveAs);
        const ChartSeries& s = *r.w->chart()->Series().front();
        QCOMPARE(csv.size(), 1 + s.count);
        QCOMPARE(csv[0], (QStringList{"time_s", "current_a"}));
        QCOMPARE(csv[1][0], QStringLiteral("0.000"));
        // One sample per applied status read or write: the times step with the answers.
        for (int i = 2; i < csv.size(); ++i) QVERIFY(csv[i][0].toDouble() > csv[i - 1][0].toDouble());
        for (int i = 1; i < csv.size(); ++i) QCOMPARE(csv[i][1], FormatFixed(s.ring[size_t(i - 1)], 100));
        // The newest is the current the window shows now, in amperes.
        const int current = r.w->registers().value(MotorCurrent);
        QVERIFY(current > 0);
        QCOMPARE(csv.last()[1], QString::asprintf("%d.%02d", current / 100, current % 100));
    }

    void aFullRingIsSavedWhole()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(1100 * 300);
        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("samples.csv"));
        QVERIFY(pick(r, QStringLiteral("Save Samples as CSV...")));
        const QList<QStringList> csv = csvOf(r.saveAs);
        QCOMPARE(csv.size(), 1 + ChartSeries::kRingSize);
        QCOMPARE(csv[1][0], QStringLiteral("0.000"));
        // Status reads every 300 ms, the oldest first across the ring's wrap.
        for (int i = 2; i < csv.size(); ++i) QCOMPARE(csv[i][0].toDouble() - csv[i - 1][0].toDouble(), 0.3);
    }

    void aFileThatCannotBeWrittenIsSaid()
    {
        Rig r;
        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("missing/graph.png"));
        QVERIFY(pick(r, QStringLiteral("Save Graph as PNG...")));
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("The graph could not be saved.")});
        QVERIFY2(r.notes.details.last().startsWith(QDir::toNativeSeparators(r.saveAs) + QStringLiteral(": ")), qPrintable(r.notes.details.last()));
        r.saveAs = dir.filePath(QStringLiteral("missing/samples.csv"));
        QVERIFY(pick(r, QStringLiteral("Save Samples as CSV...")));
        QCOMPARE(r.notes.texts.last(), QStringLiteral("The samples could not be saved."));
        QVERIFY(!QFile::exists(r.saveAs));
        // Cancelled: nothing is written, nothing is said.
        r.saveAs.clear();
        QVERIFY(pick(r, QStringLiteral("Save Samples as CSV...")));
        QCOMPARE(r.notes.texts.size(), 2);
    }
};

QTEST_MAIN(TestGraphExport)
#include "test_graph_export.moc"
