// The real console, assembled as the program assembles it (real clock, the machine's ports),
// drives a driver on the COM port named on its command line: the port is chosen, opened and
// polled; it prints each message and ends 0 once "Device Control" shows and a status read of
// the driver at address 100 has been applied, 1 otherwise.

#include "ConsoleAssembly.h"
#include "ControlIds.h"
#include "QtClock.h"
#include "SystemPorts.h"
#include "ZentorDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace zentor;

namespace {

class PrintingNotifier final : public Notifier {
public:
    void message(QWidget* parent, const QString& text) override { message(parent, text, QString()); }
    void message(QWidget*, const QString& text, const QString& details) override
    {
        std::printf("message: %s%s%s\n", qPrintable(text), details.isEmpty() ? "" : " / ", qPrintable(details));
        std::fflush(stdout);
    }
};

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString port = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("COM5");
    QTemporaryDir folder;
    QtClock clock;
    PrintingNotifier notes;
    SystemPortProvider ports;
    ConsoleEnv env{clock,
                   notes,
                   ports,
                   [](const QUrl&) { return false; },
                   [](QDialog& d) { d.open(); },
                   QDir(folder.path()).filePath(QStringLiteral("Zentor_CFG.ini")),
                   {}};
    CZentorDlg window(env);
    AssembleConsole(window);
    window.show();
    int reads = 0;
    window.AddStatusListener([&reads] { ++reads; });

    auto* list = window.controlAs<QComboBox>(ids::ComPortList);
    const int at = list->findText(port);
    std::printf("port list:");
    for (int i = 0; i < list->count(); ++i) std::printf(" %s", qPrintable(list->itemText(i)));
    std::printf("\n");
    window.controlAs<QComboBox>(ids::ControlTypeList)->setCurrentIndex(SpeedControl);
    window.controlAs<QPushButton>(ids::Select)->click();
    runFor(600);
    // Wine does not list a port that is only a link in its device folder: it is typed, as an
    // operator may type any port name.
    if (at >= 0) {
        list->setCurrentIndex(at);
    } else {
        std::printf("%s is not listed: typed\n", qPrintable(port));
        list->setEditText(port);
    }
    window.controlAs<QPushButton>(ids::OpenClose)->click();
    runFor(600);
    window.controlAs<QPushButton>(ids::StartStop)->click();
    for (int waited = 0; waited < 5000 && reads < 3; waited += 100) runFor(100);

    const QString status = window.controlAs<QLabel>(ids::ConnectionStatus)->text();
    const int address = window.registers().values.at(0) & 0xFF;
    std::printf("status: %s\nstatus reads applied: %d\ndriver address: %d\n", qPrintable(status), reads, address);
    std::fflush(stdout);
    return status == QLatin1String("Device Control") && reads >= 3 && address == 100 ? 0 : 1;
}
