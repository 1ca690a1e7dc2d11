// Not a test: prints what the console costs while idle and while polling, and how well it
// keeps the 300 ms cadence of its status reads. The real console (real clock, the machine's
// ports) talks to zentor-sim on a pseudo terminal through its typed path; zentor-sim's log
// tells when each status read arrived.
//
//   bench_console [--seconds N]        (default 30 s for each phase)

#include "RealTimeKit.h"

#include <QApplication>
#include <cmath>

using namespace zentor;
using namespace zentor::bench;

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 30;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--seconds") seconds = std::max(1, QByteArray(argv[++i]).toInt());

    QTemporaryDir dir;
    SimProcess sim;
    std::vector<double> statusReadsAt;  // zentor-sim's clock, milliseconds
    sim.onLine = [&statusReadsAt](const QByteArray& line) {
        double at = 0;
        if (IsStatusReadLine(line, &at)) statusReadsAt.push_back(at);
    };
    if (!sim.start(dir.path())) {
        std::fprintf(stderr, "bench_console: zentor-sim did not start\n");
        return 1;
    }

    RealConsole console(dir.path());
    runFor(1000);  // settle after start-up
    const double idle = cpuPercentOver(seconds * 1000);

    console.pollSpeedDriverAt(sim.link());
    statusReadsAt.clear();
    const double polling = cpuPercentOver(seconds * 1000);

    std::vector<double> errors;
    for (size_t i = 1; i < statusReadsAt.size(); ++i) errors.push_back(std::abs(statusReadsAt[i] - statusReadsAt[i - 1] - 300.0));

    std::printf("console_cpu_idle_percent %.2f\n", idle);
    std::printf("console_cpu_polling_percent %.2f\n", polling);
    std::printf("status_reads %zu (expected about %d)\n", statusReadsAt.size(), seconds * 1000 / 300);
    std::printf("cadence_error_ms_median %.2f\n", percentile(errors, 0.5));
    std::printf("cadence_error_ms_p99 %.2f\n", percentile(errors, 0.99));
    return console.window.running() ? 0 : 1;
}
