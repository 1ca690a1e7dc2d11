#pragma once
// The report of a checked sequence run, filed with the unit it tested: what was run, on which
// line and driver, every step with its answer and its checks, and the verdict. As CSV rows,
// as JSON, and as the lines the PDF prints (ReportPdf.h writes it).

#include "SequenceRunner.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zentor {

inline const QString kReportTitle = QStringLiteral("Sequence Test Report");

struct TestReport {
    QDateTime startedAt;     // local time of START
    QString version;         // the console's
    QString port;
    int baud = 0;
    int slave = 0;
    int controlType = 0;
    QString unit;            // the serial number or name of the driver under test
    QString section;         // where the sequence came from
    QString setLine;         // its header ("SET") line
    RunRecord record;
};

// The version the console and zentor-cli carry.
QString ConsoleVersion();
// "2026-12-10 12:34:56 +01:00".
QString ReportTime(const QDateTime& t);
// "Speed Control", "Position Control" or "(Select)".
QString ReportControlType(int controlType);
// The command as sent: "register 3 = 1 (function 06)".
QString ReportCommand(const SequenceCommand& command);
// How a step's answer was judged, "no answer" when none came.
QString ReportAnswer(const StepRecord& step);
// A check with what was measured and its result: "rpm ±5%: 1795 PASS".
QString ReportCheck(const CheckResult& check);

// The header as (name, value) pairs, in the report's order.
QList<QPair<QString, QString>> ReportFields(const TestReport& report);

// The whole report as CSV: the fields as "name,value" rows, a blank row, the step table
// ("ms,step,item,line,command,answer,check,measured,result", one row per check, a step
// without checks on one row with empty check cells), a blank row and "Verdict,<verdict>".
QString ReportCsv(const TestReport& report);
// One JSON object with the fields, "steps" and "verdict".
QString ReportJson(const TestReport& report);
// The lines the PDF prints under its title, in order: the fields, then per step its line and
// one indented line per check. The verdict follows them, large.
QStringList ReportLines(const TestReport& report);

}  // namespace zentor
