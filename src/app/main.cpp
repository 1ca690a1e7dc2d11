// zentor: the motor driver console. With --simulator the port list also offers two simulated
// drivers, one of each control type.

#include "Artwork.h"
#include "ConfigFilePath.h"
#include "ConsoleAssembly.h"
#include "ControlIds.h"
#include "InstanceLock.h"
#include "QtClock.h"
#include "SimPort.h"
#include "SimulatorControls.h"
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
#include <cstdio>

using namespace zentor;

namespace {

// Message texts on standard output instead of boxes, for test rigs that run the console
// without anyone to press OK.
class PrintingNotifier final : public Notifier {
public:
    void message(QWidget*, const QString& text) override
    {
        std::printf("%s\n", text.toLocal8Bit().constData());
        std::fflush(stdout);
    }
    void message(QWidget* parent, const QString& text, const QString& details) override
    {
        message(parent, text);
        if (!details.isEmpty()) message(parent, details);
    }
};

const char* kUsage =
    "usage: zentor [--simulator] [--print-messages] [--quit-after MS] [--config FILE]\n"
    "  --simulator       list two simulated drivers (SIM-SPEED, SIM-POSITION) among the ports;\n"
    "                    F8 or the window's context menu pulls one out or plugs it back in\n"
    "  --print-messages  print message texts on standard output instead of showing boxes\n"
    "  --quit-after MS   end the console after MS milliseconds (for test rigs)\n"
    "  --config FILE     the configuration file to use instead of Zentor_CFG.ini beside the\n"
    "                    program (or in the user's configuration folder)\n";

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

    bool simulator = false;
    bool printMessages = false;
    int quitAfter = 0;
    QString configPath;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--simulator")) {
            simulator = true;
        } else if (a == QLatin1String("--print-messages")) {
            printMessages = true;
        } else if (a == QLatin1String("--quit-after") && i + 1 < args.size()) {
            quitAfter = args[++i].toInt();
        } else if (a == QLatin1String("--config") && i + 1 < args.size()) {
            configPath = QFileInfo(args[++i]).absoluteFilePath();
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "zentor: unknown option %s\n%s", a.toLocal8Bit().constData(), kUsage);
            return 2;
        }
    }

    QtNotifier boxes;
    PrintingNotifier printer;
    Notifier& notifier = printMessages ? static_cast<Notifier&>(printer) : boxes;

    InstanceLock instance;
    if (!instance.acquire()) {
        notifier.message(nullptr, QStringLiteral("Program is already running"));
        return 1;
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
    if (quitAfter > 0) QTimer::singleShot(quitAfter, &window, &QDialog::reject);
    window.exec();
    return 0;
}
