#pragma once
// A status read as one row of a recording: the time, the quantities the panel shows decoded
// into numbers, and the raw registers of the read. Shared by the console's recording and
// zentor-cli's status --csv, so both write the same columns.

#include "RegisterMap.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace zentor::record {

// "speed" or "position"; empty for no control type.
QString ControlTypeWord(int controlType);

// The names of the columns for the control type: time, elapsed_ms, control_type, the decoded
// quantities, then one column per register of the status read ("reg25_MotorRpm", "reg15").
QStringList StatusRecordHeader(int controlType);

// The fields of one row, in the order of the header. map: the layout of controlType applied and
// the values refreshed from the read. A quantity the control type has no register for, or
// that cannot be shown (a speed percentage without a maximum RPM), is an empty field.
QStringList StatusRecordFields(const RegisterMap& map, int controlType, const QDateTime& localTime, int64_t elapsedMs);

// ISO 8601 local time with milliseconds and the offset from UTC: 2026-12-10T14:15:03.125+01:00.
QString IsoLocalTime(const QDateTime& time);

// A file name for a recording started at that time: zentor-2026-12-10-141503.csv.
QString ProposedRecordName(const QDateTime& time);

}  // namespace zentor::record
