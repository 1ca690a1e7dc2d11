#pragma once
// What the main window needs from the world: time, message boxes, ports and their comings
// and goings, the system's handlers for web and mail addresses, the way a modal window is run
// and the choice of a file to write. The program passes the real ones; tests pass a virtual
// clock, a recording notifier, simulated ports, a modal run that returns at once and paths of
// their own.

#include "Clock.h"
#include "Notifier.h"
#include "PortProvider.h"

#include <QString>
#include <QUrl>
#include <functional>

class QDialog;
class QWidget;

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
    // Asks for a file to write (title, proposed file name, filter such as "CSV files (*.csv)"):
    // the chosen path, or an empty text when the operator gave none. The program shows its file
    // dialog; tests return a path of their own.
    // Without one, nothing is chosen. (Its default keeps the brace-initialised environments
    // that leave it out warning-free.)
    using FileChooser =
        std::function<QString(QWidget* parent, const QString& title, const QString& proposedName, const QString& filter)>;
    FileChooser chooseSaveFile = {};
};

}  // namespace zentor
