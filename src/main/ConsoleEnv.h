#pragma once
// What the main window needs from the world: time, message boxes, ports and their comings
// and goings, and the system's handlers for web and mail addresses. The program passes the
// real ones; tests pass a virtual clock, a recording notifier and simulated ports.

#include "Clock.h"
#include "Notifier.h"
#include "PortProvider.h"

#include <QUrl>
#include <functional>

namespace zentor {

struct ConsoleEnv {
    Clock& clock;
    Notifier& notifier;
    PortProvider& ports;
    // Opens a web or mailto: address with the system's default handler.
    std::function<void(const QUrl&)> openUrl;
    // Milliseconds between two looks at the port list.
    int portWatchIntervalMs = 500;
};

}  // namespace zentor
