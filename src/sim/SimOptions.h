#pragma once
// The command line of zentor-sim: which driver it serves, how fast its line is, and which
// faults it shows; a bad argument is an error text, never an exit from inside the parser.

#include "SimDriver.h"

#include <QString>
#include <QStringList>

namespace zentor::sim {

struct SimOptions {
    ControlType type = SpeedControl;
    int slave = 100;
    int baud = 115200;
    int replyDelayMs = 4;
    QString link;  // a symlink to the pseudo terminal, made at start and removed at exit
    SimFaults faults;
    int alarm = 0;     // > 0: the driver starts with this alarm code raised
    bool log = false;  // one line per request and per answer on standard output
    bool help = false;
};

struct SimOptionsParse {
    bool ok = false;
    QString error;
    SimOptions options;
};

// args: the arguments after the program name.
SimOptionsParse ParseSimOptions(const QStringList& args);
const char* SimUsage();

}  // namespace zentor::sim
