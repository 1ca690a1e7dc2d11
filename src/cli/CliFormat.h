#pragma once
// What zentor-cli prints: the decoded status as text or as one JSON line of role names and
// raw values, registers read, and the reason an answer was refused.

#include "RegisterMap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zentor::cli {

// map: layout applied for type, values refreshed from the answer of the status read.
QStringList FormatStatusText(const RegisterMap& map, ControlType type);
// One line: every role of the layout whose register the status read covers, in slot order.
QString FormatStatusJson(const RegisterMap& map, ControlType type);
// "REG = VALUE (0xHHHH)" for each register from first on.
QStringList FormatRegisters(const RegisterImage& image, int first, int count);
// Why the answer was refused: the check's name, and the exception code of an exception answer.
QString DescribeBadAnswer(int check, const QByteArray& answer);

}  // namespace zentor::cli
