#pragma once
// What the operator reads when a port does not open: the system's reason and what to do about
// it. The console shows it below "Check Device or Connected Line"; zentor-cli prints it.

#include "SerialDevice.h"

#include <QString>

namespace zentor {

QString ExplainOpenFailure(const OpenFailure& failure, const QString& portName, int baudRate);

}  // namespace zentor
