#pragma once
// What the real-time benchmarks share: the process's CPU and memory, waiting with the event
// loop running, a zentor-sim on a pseudo terminal with its log, and the real console (real
// clock, the machine's ports) polling it through the typed path of that terminal.

#include "ConsoleAssembly.h"
#include "ControlIds.h"
#include "QtClock.h"
#include "SystemPorts.h"
#include "ZentorDlg.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace zentor::bench {

// CPU seconds this process has used.
inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Resident memory of this process in kB (VmRSS), -1 when it cannot be read.
inline long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine())
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Lets the event loop run for the time given.
inline void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Percent of one core the process used while the event loop ran for the time given.
inline double cpuPercentOver(int ms)
{
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    runFor(ms);
    return 100.0 * (cpuSeconds() - before) / (double(wall.nsecsElapsed()) / 1e9);
}

// The value at fraction p (0.5: the median) of the sorted values; 0 for none.
inline double percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

// Message texts go to standard error: nobody is there to press OK. onMessage sees each.
class PrintingNotifier final : public Notifier {
public:
    void message(QWidget* parent, const QString& text) override { message(parent, text, QString()); }
    void message(QWidget*, const QString& text, const QString&) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        if (onMessage) onMessage(text);
    }
    std::function<void(const QString&)> onMessage;
};

// zentor-sim serving a speed driver on a pseudo terminal linked into a folder of its own,
// with --log; each line of its log goes to onLine. Live: as the lines come (this process
// wakes for every one of them). InFile: the log goes to a file, and readLog() hands over the
// lines written since the last call, so that a measurement of this process's CPU does not
// count the reading of the log.
class SimProcess {
public:
    enum LogMode { Live, InFile };
    std::function<void(const QByteArray& line)> onLine;

    bool start(const QString& folder, LogMode mode = Live)
    {
        link_ = QDir(folder).filePath(QStringLiteral("zentor-sim"));
        if (mode == InFile) {
            log_.setFileName(QDir(folder).filePath(QStringLiteral("zentor-sim.log")));
            process_.setStandardOutputFile(log_.fileName());
        } else {
            QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { take(process_.readAllStandardOutput()); });
        }
        process_.start(QStringLiteral(ZENTOR_SIM_BIN), {QStringLiteral("--type"), QStringLiteral("speed"),
                                                         QStringLiteral("--log"), QStringLiteral("--link"), link_});
        if (!process_.waitForStarted(5000)) return false;
        for (int i = 0; i < 100 && !QFileInfo::exists(link_); ++i) runFor(20);
        if (mode == InFile && !log_.open(QIODevice::ReadOnly)) return false;
        return QFileInfo::exists(link_);
    }
    // InFile: the lines logged since the last call.
    void readLog()
    {
        if (log_.isOpen()) take(log_.readAll());
    }
    QString link() const { return link_; }
    ~SimProcess()
    {
        process_.terminate();
        process_.waitForFinished(3000);
    }

private:
    void take(const QByteArray& bytes)
    {
        pending_ += bytes;
        int end;
        while ((end = pending_.indexOf('\n')) >= 0) {
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            if (onLine) onLine(line);
        }
    }

    QProcess process_;
    QFile log_;
    QString link_;
    QByteArray pending_;
};

// Whether a line of zentor-sim's log is a status read as the driver got it ("<ms> rx 64 03 ...").
inline bool IsStatusReadLine(const QByteArray& line, double* atMs = nullptr)
{
    const QList<QByteArray> f = line.simplified().split(' ');
    if (f.size() <= 3 || f[1] != "rx" || f[3] != "03") return false;
    if (atMs) *atMs = f[0].toDouble();
    return true;
}

// The real console as the program assembles it, shown (offscreen unless a platform is set).
struct RealConsole {
    explicit RealConsole(const QString& folder, ConsoleEnv::FileChooser chooseSaveFile = {})
        : env{clock,
              notes,
              ports,
              [](const QUrl&) { return false; },
              [](QDialog& d) { d.open(); },
              QDir(folder).filePath(QStringLiteral("Zentor_CFG.ini")),
              std::move(chooseSaveFile)},
          window(env)
    {
        AssembleConsole(window);
        window.show();
    }
    void press(int id) { window.controlAs<QPushButton>(id)->click(); }
    // Speed control, the typed path opened, communication started, the first reads in.
    void pollSpeedDriverAt(const QString& path)
    {
        window.controlAs<QComboBox>(ids::ControlTypeList)->setCurrentIndex(SpeedControl);
        press(ids::Select);
        runFor(600);
        window.controlAs<QComboBox>(ids::ComPortList)->setEditText(path);
        press(ids::OpenClose);
        runFor(600);
        press(ids::StartStop);
        runFor(1000);
    }

    QtClock clock;
    PrintingNotifier notes;
    SystemPortProvider ports;
    ConsoleEnv env;
    CZentorDlg window;
};

}  // namespace zentor::bench
