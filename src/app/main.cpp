// zentor: the motor driver console. With --simulator the port list also offers two simulated
// drivers, one of each control type.

#include "Artwork.h"
#include "ConfigFilePath.h"
#include "ConsoleAssembly.h"
#include "ConsoleOptions.h"
#include "ControlIds.h"
#include "InstanceLock.h"
#include "QtClock.h"
#include "SimPort.h"
#include "SimulatorControls.h"
#include "StandardOutput.h"
#include "SystemPorts.h"
#include "ZentorDlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTimer>
#include <csignal>
#include <cstdio>

using namespace zentor;

namespace {

// Message texts on standard output instead of boxes, for test rigs that run the console
// without anyone to press OK. A message that does not go out is a lost message: the console
// says so on stderr and ends with 6, as zentor-cli does when its results cannot be written.
class PrintingNotifier final : public Notifier {
public:
    explicit PrintingNotifier(StandardOutput& out) : out_(out) {}
    void message(QWidget*, const QString& text) override
    {
        out_.writeLine(text);
        out_.flush();
    }
    void message(QWidget* parent, const QString& text, const QString& details) override
    {
        message(parent, text);
        if (!details.isEmpty()) message(parent, details);
    }

private:
    StandardOutput& out_;
};

constexpr int kExitOutput = 6;  // standard output could not be written

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
#ifdef Q_OS_WIN
    // Qt takes the font Windows names for dialogs: Segoe UI on a Windows PC, but "MS Shell Dlg"
    // at 8 points under Wine, which falls back to a serif there. The windows are laid out for a
    // 9-point sans serif.
    const QString family = art::WindowsFontFamily(QFontDatabase::families());
    if (!family.isEmpty()) {
        QFont font(family);
        font.setPointSize(art::kWindowFontPoints);
        QApplication::setFont(font);
    }
#endif

    const ConsoleOptionsParse parsed = ParseConsoleOptions(QApplication::arguments().mid(1));
    if (!parsed.ok) {
        std::fprintf(stderr, "zentor: %s\ntry zentor --help\n", parsed.error.toLocal8Bit().constData());
        return 2;
    }
    const ConsoleOptions& options = parsed.options;
#ifdef SIGPIPE
    // A pipe whose reader has gone is a write that fails, reported as such.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    StandardOutput out(stdout);
    int exitCode = 0;
    out.onFailed = [&exitCode](const QString& reason) {
        std::fprintf(stderr, "zentor: cannot write standard output: %s\n", reason.toLocal8Bit().constData());
        exitCode = kExitOutput;
    };
    if (options.help) {
        out.write(ConsoleUsage());
        out.flush();
        return exitCode;
    }
    const bool simulator = options.simulator;
    const QString& configPath = options.configPath;

    QtNotifier boxes;
    PrintingNotifier printer(out);
    Notifier& notifier = options.printMessages ? static_cast<Notifier&>(printer) : boxes;

    InstanceLock instance;
    if (!instance.acquire()) {
        notifier.message(nullptr, QStringLiteral("Program is already running"), instance.holderDescription());
        return exitCode != 0 ? exitCode : 1;
    }

    QtClock clock;
    SystemPortProvider system;
    sim::SimPortProvider simulated(clock);
    CombinedPortProvider ports;
    const QStringList simNames = {sim::SimPortProvider::speedPortName(), sim::SimPortProvider::positionPortName()};
    if (simulator) {
        simulated.addPort(simNames[0], SpeedControl);
        simulated.addPort(simNames[1], PositionControl);
        ports.add(&simulated);
    }
    ports.add(&system);

    ConsoleEnv env{clock,
                   notifier,
                   ports,
                   [](const QUrl& url) { return QDesktopServices::openUrl(url); },
                   [](QDialog& dialog) { dialog.exec(); },
                   configPath.isEmpty() ? ConfigFilePath(QCoreApplication::applicationDirPath()) : configPath,
                   [](QWidget* parent, const QString& title, const QString& proposedName, const QString& filter) {
                       // Proposed in the documents folder unless the name carries a folder of its own.
                       const QString proposed = QFileInfo(proposedName).isAbsolute()
                                                    ? proposedName
                                                    : QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                                          .filePath(proposedName);
                       return QFileDialog::getSaveFileName(parent, title, proposed, filter);
                   }};
    CZentorDlg window(env);
    AssembleConsole(window);
    if (simulator) new SimulatorControls(window, simulated, simNames);
    if (options.quitAfterMs > 0) QTimer::singleShot(options.quitAfterMs, &window, &QDialog::reject);
    // Once its messages can no longer be printed, the console ends as EXIT ends it.
    if (out.failed()) {
        QTimer::singleShot(0, &window, &QDialog::reject);
    } else {
        out.onFailed = [previous = out.onFailed, &window](const QString& reason) {
            previous(reason);
            QTimer::singleShot(0, &window, &QDialog::reject);
        };
    }
    window.exec();
    return exitCode;
}
