#pragma once
// What the main window needs from the world: time, message boxes, ports and their comings
// and goings, the system's handlers for web and mail addresses, and the way a modal window is
// run. The program passes the real ones; tests pass a virtual clock, a recording notifier,
// simulated ports and a modal run that returns at once.

#include "Clock.h"
#include "Notifier.h"
#include "PortProvider.h"

#include <QString>
#include <QUrl>
#include <functional>

class QDialog;

namespace zentor {

struct ConsoleEnv {
    Clock& clock;
    Notifier& notifier;
    PortProvider& ports;
    // Opens a web or mailto: address with the system's default handler; false when nothing
    // could open it.
    std::function<bool(const QUrl&)> openUrl;
    // Shows a modal window. The program blocks until it closes (exec); tests return at once.
    // Whatever follows the closing is bound to the window's finished signal, so both behave
    // alike.
    std::function<void(QDialog&)> runModal;
    // Full path of the configuration file.
    QString configPath;
};

}  // namespace zentor
