#pragma once
// What zentor-cli prints for sequences: the listing of a sequence with what each item sends,
// and one line per step of a run, as text or as one JSON object.

#include "SequenceSchedule.h"
#include "SequenceSource.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zentor::cli {

// "register 3 = 1 (function 06)", "registers 33-34 = -200 (function 16)",
// "apply settings: register 0xF001 = 0xA1A1 (function 06)".
QString DescribeCommand(const SequenceCommand& command);
// Why an item that does not resolve under the control type cannot be sent.
QString DescribeRefusal(const ScheduledItem& item, int controlType);
// "speed control", "position control" or "no control type".
QString ControlTypeName(int controlType);

// Which file the sequences come from, and whether the console's defaults stand in for it.
QString DescribeOrigin(const SequenceSource& source);
// The configuration line, notes of what the load left out, then each sequence: its heading,
// the totals as the dialog shows them, and every item with what it sends.
QStringList FormatSequenceListing(const SequenceSource& source);
QStringList FormatSequence(const NamedSequence& sequence);

// One step of a run, reported once the driver's answer has been judged.
struct StepReport {
    int64_t ms = 0;       // since START, when the step was sent
    int64_t step = 0;     // 1-based
    int64_t steps = 0;    // the run's total steps
    int item = 0;         // 1-based item number
    QString action;
    int actionWidth = 0;  // the text line pads the action to this many characters
    SequenceCommand command;
    QString result;       // "applied", "no answer", a check name, ...
    QByteArray answer;    // the refused answer, when there was one
    std::vector<CheckResult> checks;  // what the item's expectations found
};
// "   600 ms  step 2/7  item 2  BRAKE-OFF    register 4 = 0 (function 06): applied", and
// for each check "; rpm ±5%: 1800 PASS".
QString FormatStepText(const StepReport& step);
// {"ms":600,"step":2,"steps":7,"item":2,"action":"BRAKE-OFF","function":6,"register":4,
//  "count":1,"value":0,"result":"applied"} (and "answer":"hex bytes" for a refused answer, and
//  "checks":[{"check":"rpm ±5%","measured":"1800","result":"PASS"}] for an item with expectations)
QString FormatStepJson(const StepReport& step);
// {"ms":10800,"end":"Sequence Test END"}, with "verdict":"PASS" when the run had checks.
QString FormatEndJson(int64_t ms, const QString& verdict = QString());

}  // namespace zentor::cli
