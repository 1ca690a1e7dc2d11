// Not a test: prints what the console costs while idle and while polling, and how well it
// keeps the 300 ms cadence of its status reads. The real console (real clock, the machine's
// ports) talks to zentor-sim on a pseudo terminal through its typed path; zentor-sim's log
// tells when each status read arrived.
//
//   bench_console [--seconds N]        (default 30 s for each phase)

#include "ConsoleAssembly.h"
#include "ControlIds.h"
#include "QtClock.h"
#include "SystemPorts.h"
#include "ZentorDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace zentor;

namespace {

class SilentNotifier final : public Notifier {
public:
    void message(QWidget*, const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Percent of one core the process used while the event loop ran for the given time.
double cpuPercentOver(int ms)
{
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    runFor(ms);
    return 100.0 * (cpuSeconds() - before) / (double(wall.nsecsElapsed()) / 1e9);
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 30;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--seconds") seconds = std::max(1, QByteArray(argv[++i]).toInt());

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("zentor-sim"));
    QProcess sim;
    std::vector<double> statusReadsAt;  // zentor-sim's clock, milliseconds
    QByteArray pending;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, [&] {
        pending += sim.readAllStandardOutput();
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            // "<ms> rx 64 03 ..." is a status read as the driver got it.
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() > 3 && f[1] == "rx" && f[3] == "03") statusReadsAt.push_back(f[0].toDouble());
        }
    });
    sim.start(QStringLiteral(ZENTOR_SIM_BIN), {QStringLiteral("--type"), QStringLiteral("speed"), QStringLiteral("--log"),
                                                QStringLiteral("--link"), link});
    if (!sim.waitForStarted(5000)) {
        std::fprintf(stderr, "bench_console: zentor-sim did not start\n");
        return 1;
    }
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i) runFor(20);

    QtClock clock;
    SilentNotifier notes;
    SystemPortProvider system;
    ConsoleEnv env{clock, notes, system, {}, [](QDialog& d) { d.open(); }, dir.filePath(QStringLiteral("Zentor_CFG.ini"))};
    CZentorDlg window(env);
    AssembleConsole(window);
    window.show();
    runFor(1000);  // settle after start-up

    const double idle = cpuPercentOver(seconds * 1000);

    window.controlAs<QComboBox>(ids::ControlTypeList)->setCurrentIndex(SpeedControl);
    window.controlAs<QPushButton>(ids::Select)->click();
    runFor(600);
    window.controlAs<QComboBox>(ids::ComPortList)->setEditText(link);
    window.controlAs<QPushButton>(ids::OpenClose)->click();
    runFor(600);
    window.controlAs<QPushButton>(ids::StartStop)->click();
    runFor(1000);  // the first reads; the settings block is drawn once
    statusReadsAt.clear();
    const double polling = cpuPercentOver(seconds * 1000);

    std::vector<double> errors;
    for (size_t i = 1; i < statusReadsAt.size(); ++i) errors.push_back(std::abs(statusReadsAt[i] - statusReadsAt[i - 1] - 300.0));
    sim.terminate();
    sim.waitForFinished(3000);

    std::printf("console_cpu_idle_percent %.2f\n", idle);
    std::printf("console_cpu_polling_percent %.2f\n", polling);
    std::printf("status_reads %zu (expected about %d)\n", statusReadsAt.size(), seconds * 1000 / 300);
    std::printf("cadence_error_ms_median %.2f\n", percentile(errors, 0.5));
    std::printf("cadence_error_ms_p99 %.2f\n", percentile(errors, 0.99));
    return window.running() ? 0 : 1;
}
