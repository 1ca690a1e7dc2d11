// The traffic view through the real main window in virtual time against the simulated drivers:
// the rows of a status read, a write and a spoilt checksum with their checks and round trips,
// pause and clear, watching only while open, copy, save as CSV, the F9 key and accessibility.

#include "Accessibility.h"
#include "CsvReader.h"
#include "CsvText.h"
#include "main/Rig.h"
#include "TrafficWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTableView>

using namespace zentor;
using namespace zentor::monitor;
using namespace zentor::testing;

namespace {

const QString kSpeed = QStringLiteral("SIM-SPEED");

struct View {
    explicit View(Rig& r) : rig(r), window(r.w->findChild<TrafficWindow*>())
    {
        for (auto* b : r.w->findChildren<QPushButton*>())
            if (b->text() == QLatin1String("Traffic View")) button = b;
    }
    void open() { button->click(); }
    TrafficModel& model() const { return window->model(); }
    // Rows kept (shown or waiting for the table's next move) and rows the table shows.
    int kept() const { return model().keptCount(); }
    int shown() const { return model().rowCount(); }
    QString cell(int kept, int column) const { return TrafficCell(model().keptAt(kept), column); }
    // The kept rows whose direction is the one given ("out", "in", "port").
    QList<int> rowsOf(const QString& direction) const
    {
        QList<int> found;
        for (int i = 0; i < kept(); ++i)
            if (cell(i, DirectionColumn) == direction) found << i;
        return found;
    }
    double timeOf(int row) const { return cell(row, TimeColumn).toDouble(); }

    Rig& rig;
    TrafficWindow* window;
    QPushButton* button = nullptr;
};

void place(ConsoleHost& host, int address, uint16_t value)
{
    host.pending().address = address;
    host.pending().value = value;
    host.pending().kind = WriteSingle;
}

}  // namespace

class TestTrafficView : public QObject {
    Q_OBJECT
private slots:
    void listsReadsWritesAndARefusedAnswer()
    {
        Rig r;
        View v(r);
        QVERIFY(v.window && v.button);
        v.open();
        QVERIFY(v.window->isVisible());
        r.selectType(SpeedControl);
        const int64_t openedAt = r.clock.nowMs();
        r.open(kSpeed);
        QCOMPARE(v.shown(), 1);  // the first frame after a quiet spell is shown at once
        QCOMPARE(v.cell(0, TimeColumn), QStringLiteral("0.0"));
        QCOMPARE(v.cell(0, DecodedColumn), QStringLiteral("SIM-SPEED opened"));

        r.after(100);
        const int64_t startedAt = r.clock.nowMs();
        r.press(ids::StartStop);
        place(*r.w, 3, 1);
        r.after(400);  // read at 0, write at 150, read at 300, each answered
        const QList<int> out = v.rowsOf(QStringLiteral("out"));
        const QList<int> in = v.rowsOf(QStringLiteral("in"));
        QCOMPARE(out.size(), 3);
        QCOMPARE(in.size(), 3);
        QCOMPARE(v.cell(out[0], TimeColumn), QStringLiteral("%1.0").arg(startedAt - openedAt));
        QCOMPARE(v.cell(out[0], BytesColumn), QStringLiteral("64 03 00 00 00 22 CC 26"));
        QCOMPARE(v.cell(out[0], DecodedColumn), QStringLiteral("slave 100: read 34 registers from 0"));
        QCOMPARE(v.cell(out[1], DecodedColumn), QStringLiteral("slave 100: write register 3 = 1 (0x0001)"));
        QCOMPARE(v.cell(in[0], DecodedColumn), QStringLiteral("slave 100: 34 registers (68 bytes)"));
        QCOMPARE(v.cell(in[1], DecodedColumn), QStringLiteral("slave 100: register 3 = 1 (0x0001) echoed"));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(v.cell(in[i], CheckColumn), QStringLiteral("applied"));
            QCOMPARE(v.cell(out[i], CheckColumn), QString());
            // The answer is taken 60 ms after its last byte, which came a round trip after the
            // request was written.
            const int roundTrip = v.cell(in[i], RoundTripColumn).toInt();
            QVERIFY(roundTrip > 0);
            QCOMPARE(v.timeOf(in[i]) - v.timeOf(out[i]), double(roundTrip + 60));
        }

        r.driver(kSpeed).faults().badChecksum = true;
        r.after(300);
        const int last = v.rowsOf(QStringLiteral("in")).last();
        QCOMPARE(v.cell(last, CheckColumn), QStringLiteral("checksum mismatch"));
        QVERIFY(v.cell(last, RoundTripColumn).toInt() > 0);
        // The refused answer stands out in the table.
        r.after(TrafficWindow::kRefreshMs);
        QCOMPARE(v.shown(), v.kept());
        const QModelIndex checkCell = v.model().index(last, CheckColumn);
        QCOMPARE(v.model().data(checkCell, Qt::DisplayRole).toString(), QStringLiteral("checksum mismatch"));
        QCOMPARE(v.model().data(checkCell, Qt::ForegroundRole).value<QBrush>().color(), QColor(190, 0, 0));
        // Its cell is painted in that red.
        v.window->resize(1100, 520);
        v.window->table()->scrollTo(checkCell);
        const QRect at = v.window->table()->visualRect(checkCell);
        const QImage painted = v.window->table()->viewport()->grab(at).toImage();
        bool red = false;
        for (int y = 0; y < painted.height() && !red; ++y)
            for (int x = 0; x < painted.width() && !red; ++x) red = painted.pixelColor(x, y) == QColor(190, 0, 0);
        QVERIFY(red);
    }

    void pauseHoldsTheListAndClearEmptiesIt()
    {
        Rig r;
        View v(r);
        v.open();
        r.start(kSpeed, SpeedControl);
        r.after(1500);
        const int before = v.shown();
        QVERIFY(before >= 4);
        v.window->pauseButton()->click();
        QVERIFY(v.window->pauseButton()->isChecked());
        r.after(3000);
        QCOMPARE(v.shown(), before);
        QVERIFY(v.model().waiting() >= 18);
        QVERIFY2(v.window->statusText().startsWith(QLatin1String("Paused: ")), qPrintable(v.window->statusText()));
        v.window->pauseButton()->click();
        QCOMPARE(v.shown(), v.kept());
        QCOMPARE(v.model().waiting(), 0);
        v.window->clearButton()->click();
        QCOMPARE(v.kept(), 0);
        QCOMPARE(v.shown(), 0);
        r.after(TrafficWindow::kRefreshMs);
        QVERIFY(v.shown() > 0);
        QCOMPARE(v.shown(), v.kept());
    }

    void tableMovesAtMostOnceASecond()
    {
        Rig r;
        View v(r);
        v.open();
        r.start(kSpeed, SpeedControl);
        QSignalSpy moves(&v.model(), &QAbstractItemModel::rowsInserted);
        r.after(10'000);
        QVERIFY2(moves.size() <= 11, qPrintable(QString::number(moves.size())));
        QVERIFY(v.kept() >= 66);  // every frame is kept meanwhile
        // After a quiet spell, the next frame is shown at once.
        r.press(ids::StartStop);
        r.after(2000);
        QCOMPARE(v.shown(), v.kept());
        const int before = v.kept();
        r.press(ids::StartStop);  // the first status read goes out at once
        QCOMPARE(v.kept(), before + 1);
        QCOMPARE(v.shown(), v.kept());
    }

    void watchesTheLineOnlyWhileOpen()
    {
        Rig r;
        View v(r);
        v.open();
        r.start(kSpeed, SpeedControl);
        r.after(300);
        QVERIFY(v.window->watching());
        v.window->close();
        QVERIFY(!v.window->watching());
        const int kept = v.kept();
        r.after(3000);
        QCOMPARE(v.kept(), kept);
        // Opened again, it says that it saw nothing meanwhile and goes on.
        v.open();
        QCOMPARE(v.cell(kept, DecodedColumn), QStringLiteral("the view was closed: frames meanwhile are not listed"));
        r.after(300);
        QCOMPARE(v.kept(), kept + 3);
    }

    void copiesTheSelectedRowsAndSavesEveryRowKept()
    {
        Rig r;
        View v(r);
        v.open();
        r.start(kSpeed, SpeedControl);
        r.after(1100);
        QTableView* table = v.window->table();
        table->selectionModel()->select(v.model().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        table->selectionModel()->select(v.model().index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QString copied = v.window->Copy();
        QStringList expected;
        for (int row : {1, 2}) {
            QStringList cells;
            for (int c = 0; c < kTrafficColumns; ++c) cells << TrafficCell(v.model().rowAt(row), c);
            expected << cells.join(QLatin1Char('\t'));
        }
        QCOMPARE(copied, expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QVERIFY(copied.contains(QLatin1String("64 03 44 ")));  // the whole frame, not the table's short form
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);

        QTemporaryDir dir;
        r.saveAs = dir.filePath(QStringLiteral("frames.csv"));
        v.window->pauseButton()->click();
        r.after(300);  // kept while paused: saved too
        v.window->saveButton()->click();
        QCOMPARE(r.saveTitles.last(), QStringLiteral("Save the frames"));
        QVERIFY(r.saveProposals.last().startsWith(QLatin1String("zentor-traffic-")));
        QFile file(r.saveAs);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<QStringList> csv;
        QString problem;
        QVERIFY2(ReadCsv(QString::fromUtf8(file.readAll()), csv, &problem), qPrintable(problem));
        QVERIFY(v.model().waiting() > 0);
        QCOMPARE(csv.size(), 1 + v.kept());
        QCOMPARE(csv[0], TrafficCsvHeader());
        for (int i = 0; i < v.kept(); ++i) QCOMPARE(csv[1 + i], TrafficCsvFields(v.model().keptAt(i)));
        QVERIFY(r.notes.texts.isEmpty());

        // A file that cannot be written is said, with the file and the reason.
        r.saveAs = dir.filePath(QStringLiteral("missing/frames.csv"));
        v.window->saveButton()->click();
        QCOMPARE(r.notes.last(), QStringLiteral("The frames could not be saved."));
        QVERIFY2(r.notes.details.last().startsWith(QDir::toNativeSeparators(r.saveAs) + QStringLiteral(": ")), qPrintable(r.notes.details.last()));
        // Cancelled: nothing happens.
        r.saveAs.clear();
        v.window->saveButton()->click();
        QCOMPARE(r.notes.texts.size(), 1);
    }

    void f9OpensTheView()
    {
        Rig r;
        View v(r);
        r.w->show();
        r.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
        QTest::keyClick(r.w.get(), Qt::Key_F9);
        QVERIFY(v.window->isVisible());
        QVERIFY(v.window->watching());
        QVERIFY(!v.button->toolTip().isEmpty());
    }

    void everyControlIsNamed()
    {
        Rig r;
        View v(r);
        v.open();
        const QStringList problems = accessibilityProblems(v.window);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QCOMPARE(accessibilityProblems(r.w.get()), QStringList());
    }
};

QTEST_MAIN(TestTrafficView)
#include "test_traffic_view.moc"
