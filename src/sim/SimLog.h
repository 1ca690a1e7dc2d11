#pragma once
// One line of zentor-sim's log of the line: when (milliseconds on the monotonic clock since
// the start), which way (rx: a request in, tx: an answer out), the bytes in hex and what the
// driver did with them.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace zentor::sim {

enum class LogDirection { Request, Answer };

// Without the line end, e.g. "508.491 rx 64 03 00 00 00 22 CC 26  read 34 registers from 0".
QByteArray FormatSimLogLine(int64_t elapsedNs, LogDirection direction, const QByteArray& bytes, const QString& text);

}  // namespace zentor::sim
