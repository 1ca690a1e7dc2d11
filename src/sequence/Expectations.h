#pragma once
// What an item expects of the driver when its time runs out ("rpm ±5%; current <= 3; alarm = 0"):
// the text read into checks, with a message naming what is wrong, and each check judged on
// the status the driver gave.

#include "RegisterMap.h"
#include "SequenceForms.h"

#include <QString>
#include <vector>

namespace zentor {

// The longest expectations text an item holds.
constexpr int kMaxExpectationsLength = 120;

enum class CheckKind { Rpm, Current, Position, Alarm, Direction, Brake, Run, Reset };

enum class CheckOp {
    Range,          // low..high, both included
    Equal,          // = low
    LessEqual,      // <= low
    GreaterEqual,   // >= low
    Less,           // < low
    Greater,        // > low
    Within,         // ±low around the commanded value
    WithinPercent,  // ±low % of the commanded value around it
};

struct Expectation {
    CheckKind kind = CheckKind::Rpm;
    CheckOp op = CheckOp::Equal;
    double low = 0;
    double high = 0;
    double commanded = 0;  // Within and WithinPercent: the value the item sends
    QString text;          // the check as written, blanks around it removed
};

struct ExpectationParse {
    std::vector<Expectation> checks;
    QString error;  // empty when every check was read
    bool ok() const { return error.isEmpty(); }
};

// The checks of an item's expectations, separated by ';' (empty parts are skipped). A kind must
// be read in the control type (position and reset in position control, run in speed control);
// a tolerance needs an item that commands the same quantity (rpm after SPEED-INPUT, position
// after POSITION-INPUT). "+-" stands for "±"; so does the "Â±" of a UTF-8 file read as Latin-1.
ExpectationParse ParseExpectations(const QString& text, int controlType, const SequenceItem& item);

// The text as the configuration file keeps it: every "±" written "+-", so that the file reads
// the same in whatever encoding it is opened.
QString ExpectationsForFile(const QString& text);

// The driver's state as one status read gives it, in the checks' units.
struct StatusSample {
    double rpm = 0;
    double current = 0;  // A
    double position = 0;
    double alarm = 0;
    double direction = 0;  // 0 CW, 1 CCW
    double brake = 0;      // 1 on
    double run = 0;        // 1 running (speed control) or reset HIGH (position control)
    int deviceId = 0;      // the low byte of register 0: the driver's address
};
StatusSample SampleStatus(const RegisterMap& registers);

enum class CheckState { Pending, Pass, Fail, Incomplete };

struct CheckResult {
    QString check;     // Expectation::text
    CheckState state = CheckState::Pending;
    QString measured;  // the value read ("1795", "2.35 A", "CCW", "ON"); empty unless judged
};

CheckResult Judge(const Expectation& check, const StatusSample& sample);
// "PASS", "FAIL", "INCOMPLETE" or "PENDING".
QString CheckStateText(CheckState state);

}  // namespace zentor
