#include "SequenceForms.h"

#include "RegisterMap.h"

namespace zentor {

QString FormatItem(const QString& action, const QString& value, const QString& time, const QString& repeat)
{
    return action + QLatin1Char(',') + value + QLatin1Char(',') + time + QLatin1Char(',') + repeat;
}

QStringList ParseLine(const QString& line) { return line.split(QLatin1Char(',')); }

SequenceItem ParseItem(const QString& line)
{
    const QStringList f = ParseLine(line);
    const auto field = [&f](int i) { return i < f.size() ? f[i] : QString(); };
    return {field(0), field(1), field(2), field(3)};
}

QString FormatHeader(const QString& start, const QString& count, const QString& rangeRepeat, const QString& typeWord)
{
    return FormatItem(start, count, rangeRepeat, typeWord);
}

SequenceHeader ParseHeader(const QString& line)
{
    const QStringList f = ParseLine(line);
    const auto field = [&f](int i) { return i < f.size() ? f[i] : QString(); };
    return {field(0), field(1), field(2), f.last()};
}

QString TypeWord(int controlType)
{
    if (controlType == SpeedControl) return QStringLiteral("Speed");
    if (controlType == PositionControl) return QStringLiteral("Position");
    return {};
}

int ControlTypeOfWord(const QString& word)
{
    if (word == QLatin1String("Speed")) return SpeedControl;
    if (word == QLatin1String("Position")) return PositionControl;
    return NoControl;
}

}  // namespace zentor
