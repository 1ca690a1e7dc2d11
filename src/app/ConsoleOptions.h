#pragma once
// The console's own command line as plain data, checked before any window opens: each option
// with its value, or a message saying what is wrong with it.

#include <QString>
#include <QStringList>

namespace zentor {

struct ConsoleOptions {
    bool simulator = false;      // --simulator: the simulated drivers among the ports
    bool printMessages = false;  // --print-messages: message texts on standard output
    int quitAfterMs = 0;         // --quit-after: > 0 ends the console after so many milliseconds
    QString configPath;          // --config: this configuration file (absolute), empty: the usual one
    bool help = false;
};

struct ConsoleOptionsParse {
    bool ok = false;
    QString error;  // what is wrong, for stderr, when !ok
    ConsoleOptions options;
};

// args without the program name (and without the options Qt takes for itself).
ConsoleOptionsParse ParseConsoleOptions(const QStringList& args);

const char* ConsoleUsage();

}  // namespace zentor
