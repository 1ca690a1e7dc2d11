// Prints the cost of one status refresh of the main window with a full graph and the dial:
// the median over many refreshes, in microseconds, as its last line.

#include "ChartDraw.h"
#include "Rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zentor;
using namespace zentor::testing;

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Rig r;
    r.w->show();
    const QString port = QStringLiteral("SIM-POSITION");
    r.driver(port).setReg(15, 1000);
    r.driver(port).setReg(13, 8);
    r.start(port, PositionControl);
    r.after(600);
    r.press(ids::Run);
    // Fill the graph's ring: 1024 samples and more.
    for (int i = 0; i < 1100; ++i) r.after(300);

    std::vector<double> micros;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    for (int i = 0; i < rounds; ++i) {
        // One refresh in ten also redraws the settings block, as after a confirmed write.
        const_cast<RegisterMap&>(r.w->registers()).settingsChanged = (i % 10) == 0;
        QElapsedTimer t;
        t.start();
        r.w->RefreshStatus();
        micros.push_back(double(t.nsecsElapsed()) / 1000.0);
        if (i % 50 == 0) QCoreApplication::processEvents();
    }
    std::sort(micros.begin(), micros.end());
    std::printf("refreshes %d, p10 %.1f us, p90 %.1f us\n", rounds, micros[micros.size() / 10], micros[micros.size() * 9 / 10]);
    std::printf("refresh_us_median %.1f\n", micros[micros.size() / 2]);
    return 0;
}
