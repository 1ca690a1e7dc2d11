// Not a test: prints what the traffic view and the recording cost. First the cost of appending
// one row to the traffic view's table (full ring, the shown table following its end) and of
// writing one recorded row (decoding, CSV, the write to the file), as medians; then the
// console's CPU while polling zentor-sim through its typed path (real clock), alone and with the
// traffic view open and a recording running, in alternating rounds.
//
//   bench_monitors [--seconds N] [--rounds N]     (default 20 s per phase, 3 rounds)

#include "CsvText.h"
#include "RealTimeKit.h"
#include "RecordFile.h"
#include "RecordPanel.h"
#include "StatusRecord.h"
#include "TrafficWindow.h"

#include <QApplication>
#include <QTableView>

using namespace zentor;
using namespace zentor::bench;

namespace {

double median(std::vector<double> v) { return percentile(std::move(v), 0.5); }

// Microseconds of each call of fn, n times, after a warm-up.
template <class Fn>
std::vector<double> timeEach(int n, Fn fn)
{
    for (int i = 0; i < 100; ++i) fn(i);
    std::vector<double> us;
    us.reserve(size_t(n));
    QElapsedTimer t;
    for (int i = 0; i < n; ++i) {
        t.start();
        fn(i);
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    return us;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 20, rounds = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--seconds") seconds = std::max(1, QByteArray(argv[++i]).toInt());
        else if (QByteArray(argv[i]) == "--rounds") rounds = std::max(1, QByteArray(argv[++i]).toInt());
    }

    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("recording.csv"));
    SimProcess sim;
    if (!sim.start(dir.path(), SimProcess::InFile)) {
        std::fprintf(stderr, "bench_monitors: zentor-sim did not start\n");
        return 1;
    }
    RealConsole console(dir.path(), [&recording](QWidget*, const QString&, const QString&, const QString&) { return recording; });
    CZentorDlg& window = console.window;
    auto* traffic = window.findChild<monitor::TrafficWindow*>();
    auto* record = window.findChild<monitor::RecordPanel*>();
    runFor(1000);
    console.pollSpeedDriverAt(sim.link());

    // One traffic row as the table takes it when rows come one at a time: kept, then shown at
    // the end of the shown table with a full ring of 10,000 rows (one row leaves at the front),
    // the table following its end. Its painting comes after and is timed apart.
    traffic->Open();
    TrafficEvent answer;
    answer.kind = TrafficEvent::Answer;
    answer.bytes = QByteArray(73, '\x11');
    answer.check = Applied;
    answer.roundTripMs = 12;
    for (int i = 0; i < monitor::TrafficModel::kCapacity; ++i) traffic->model().append(monitor::MakeTrafficRow(answer, 0));
    traffic->model().showNew();
    runFor(200);
    const std::vector<double> trafficUs = timeEach(20000, [&](int i) {
        answer.atUs = i * 1000;
        traffic->model().append(monitor::MakeTrafficRow(answer, 0));
        traffic->model().showNew();
    });
    QTableView* table = traffic->table();
    const std::vector<double> paintUs = timeEach(500, [&](int) { table->viewport()->repaint(); });
    std::printf("traffic_table_repaint_us_median %.2f\n", median(paintUs));
    traffic->Clear();
    traffic->close();

    // One recorded row: decoding the registers the window holds, the CSV line, the write.
    record::RecordFile file;
    file.open(dir.filePath(QStringLiteral("rows.csv")));
    const QDateTime started = QDateTime::currentDateTime();
    const std::vector<double> recordUs = timeEach(20000, [&](int i) {
        const QStringList fields = record::StatusRecordFields(window.registers(), SpeedControl, started.addMSecs(i), i);
        file.append(record::CsvLine(fields).toUtf8());
    });
    file.close();

    // The console's CPU: polling alone, then with the traffic view open and a recording
    // running, in alternating rounds so that other work on the machine falls on both alike.
    std::vector<double> alone, watched;
    for (int round = 0; round < rounds; ++round) {
        alone.push_back(cpuPercentOver(seconds * 1000));
        traffic->Open();
        record->Record();
        runFor(500);
        watched.push_back(cpuPercentOver(seconds * 1000));
        record->Stop();
        traffic->close();
        traffic->Clear();
        runFor(500);
    }
    const bool polled = window.running();

    std::printf("traffic_row_append_us_median %.2f\n", median(trafficUs));
    std::printf("recorded_row_us_median %.2f\n", median(recordUs));
    for (int round = 0; round < rounds; ++round)
        std::printf("round %d: polling %.3f %%, with traffic view and recording %.3f %%\n", round + 1, alone[size_t(round)],
                    watched[size_t(round)]);
    std::printf("console_cpu_polling_percent_median %.3f\n", median(alone));
    std::printf("console_cpu_watched_percent_median %.3f\n", median(watched));
    std::printf("console_cpu_added_percent %.3f\n", median(watched) - median(alone));
    return polled ? 0 : 1;
}
