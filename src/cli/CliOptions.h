#pragma once
// The command line of zentor-cli as plain data: the command with its numbers, the options,
// and the exit codes, parsed and checked without touching a port.

#include "RegisterMap.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace zentor::cli {

enum ExitCode : int {
    ExitOk = 0,
    ExitUsage = 2,        // bad command line
    ExitPort = 3,         // the port will not open, a write did not go out, or the port went away
    ExitNoAnswer = 4,     // no complete answer within the answer time-out
    ExitBadAnswer = 5,    // an answer that fails the check (checksum, address, function, quantity, register)
    ExitOutput = 6,       // the results could not be written: standard output, the file of --output or --report
    ExitChecks = 7,       // sequence run: a check of the expectations failed or could not be judged
    ExitInterrupted = 130 // Ctrl-C or SIGTERM before a single command was answered
};

enum class Command { None, Ports, Status, Read, Write, WritePosition, Id, SetId, Apply, SequenceList, SequenceRun };

struct CliOptions {
    Command command = Command::None;
    bool help = false;
    QString port;              // a listed port name or a device path
    bool sim = false;          // the embedded simulated driver instead of a port
    ControlType type = SpeedControl;
    int slave = 100;
    int baud = 115200;
    bool json = false;
    int everyMs = -1;          // >= 0: status again every so many milliseconds (0: at once)
    int count = 0;             // > 0: that many status reads, then end
    int reg = 0;               // read, write: the register
    int regCount = 1;          // read: how many registers
    uint16_t value = 0;        // write: the value in 16 bits (negative in two's complement)
    int32_t steps = 0;         // write-position
    int newAddress = 0;        // set-id

    // sequence list|run
    QString sequence;          // "speed", "position" or "user"; empty: list all three
    QString configPath;        // --config: this configuration file instead of the console's
    bool typeGiven = false;    // --type was given; a sequence brings its own control type
    bool statusAfter = false;  // sequence run: one status read after the END
    QString unit;              // sequence run --unit: the driver under test, for the report
    QString report;            // sequence run --report: FILE.pdf, FILE.csv or FILE.json

    // status as CSV rows (the recording's columns) and status into a file
    bool csv = false;
    QString output;            // empty: standard output
};

struct CliParse {
    bool ok = false;
    QString error;             // what is wrong, for stderr, when !ok
    CliOptions options;
};

// args without the program name; options may stand before or after the command.
CliParse ParseCliArguments(const QStringList& args);

// Decimal or 0x hexadecimal, with an optional sign; false when the text is no such number or
// lies outside [min, max].
bool ParseCliNumber(const QString& text, long long min, long long max, long long& value);

// Milliseconds between status reads when --count is given without --every.
constexpr int kDefaultRepeatMs = 300;

const char* CliUsage();

}  // namespace zentor::cli
