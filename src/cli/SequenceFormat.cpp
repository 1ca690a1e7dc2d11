#include "SequenceFormat.h"

#include "SequenceRunner.h"
#include "TestReport.h"
#include "TextNumbers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace zentor::cli {

namespace {

QString hex4(int value) { return QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0')); }

int functionOf(const SequenceCommand& c) { return c.kind == WriteRegisterPair ? 16 : 6; }

// The value the action would send, before it was found too large for its register(s).
int64_t wantedValue(const SequenceItem& item, int controlType)
{
    const int index = ActionIndexOf(item.action, controlType);
    if (index < 0) return 0;
    switch (ActionTable(controlType)[static_cast<size_t>(index)].valueKind) {
    case ValueKind::Integer: return LeadingInteger(item.value);
    case ValueKind::Times100: return ScaledDecimal(item.value, 2);
    case ValueKind::Times1000: return ScaledDecimal(item.value, 3);
    default: return 0;
    }
}

// A JSON string with its quotes, whatever a hand-edited file put into the text.
QString jsonString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

}  // namespace

QString DescribeCommand(const SequenceCommand& c)
{
    switch (c.kind) {
    case WriteRegisterPair:
        return QStringLiteral("registers %1-%2 = %3 (function 16)").arg(c.registerAddress).arg(c.registerAddress + 1).arg(c.value);
    case ApplySettings:
        return QStringLiteral("apply settings: register 0x%1 = 0x%2 (function 06)")
            .arg(hex4(kApplySettingsRegister), hex4(kApplySettingsValue));
    default:
        return QStringLiteral("register %1 = %2 (function 06)").arg(c.registerAddress).arg(uint16_t(c.value));
    }
}

QString ControlTypeName(int controlType)
{
    if (controlType == SpeedControl) return QStringLiteral("speed control");
    if (controlType == PositionControl) return QStringLiteral("position control");
    return QStringLiteral("no control type");
}

QString DescribeRefusal(const ScheduledItem& item, int controlType)
{
    const SequenceItem fields = ParseItem(item.line);
    switch (item.resolved.status) {
    case ResolveStatus::Resolved:
        return {};
    case ResolveStatus::UnknownAction:
        if (controlType == NoControl) return QStringLiteral("cannot be sent: the sequence has no control type");
        return QStringLiteral("cannot be sent: not an action of %1").arg(ControlTypeName(controlType));
    case ResolveStatus::ValueOutOfRange: {
        const int index = ActionIndexOf(fields.action, controlType);
        const bool pair = index >= 0 && ActionTable(controlType)[static_cast<size_t>(index)].commandKind == WriteRegisterPair;
        return QStringLiteral("cannot be sent: value %1 out of range (%2)")
            .arg(wantedValue(fields, controlType))
            .arg(pair ? QStringLiteral("-2147483648..2147483647") : QStringLiteral("0..65535"));
    }
    case ResolveStatus::FieldTooLong:
        return QStringLiteral("cannot be sent: a field is longer than %1 characters").arg(kMaxFieldLength);
    }
    return {};
}

QString DescribeOrigin(const SequenceSource& s)
{
    if (!s.fileExists)
        return QStringLiteral("the defaults the console writes at its first start (%1 does not exist yet)").arg(s.configPath);
    if (s.defaultsLaidOver)
        return QStringLiteral("%1, read with the defaults the console writes into it at its next start "
                              "(it lacks the first-run marker)")
            .arg(s.configPath);
    return s.configPath;
}

QStringList FormatSequence(const NamedSequence& n)
{
    QStringList lines;
    const QString heading = QStringLiteral("%1 [%2]").arg(n.title, n.section);
    if (!n.saved) {
        lines << heading + QStringLiteral(": none saved");
        return lines;
    }
    const SequenceList& list = n.loaded.list;
    const SequenceSchedule schedule = ComputeSchedule(list, n.controlType);
    const RunDisplays totals = IdleDisplays(schedule);
    lines << QStringLiteral("%1 SET=%2, %3").arg(heading, list.lines[0], ControlTypeName(n.controlType));
    lines << QStringLiteral("  total time %1, total items %2").arg(totals.totalTime, totals.totalItems);
    qsizetype width = 0;
    for (const ScheduledItem& item : schedule.items) width = std::max(width, item.line.size());
    for (size_t k = 0; k < schedule.items.size(); ++k) {
        const ScheduledItem& item = schedule.items[k];
        const QString sends = item.resolved.ok() ? DescribeCommand(item.resolved.command) : DescribeRefusal(item, n.controlType);
        lines << QStringLiteral("  %1  %2  %3").arg(k + 1, 2).arg(item.line.leftJustified(width), sends);
        if (!item.expectations.isEmpty())
            lines << QStringLiteral("      expects %1%2")
                         .arg(item.expectations,
                              item.checksError.isEmpty() ? QString() : QStringLiteral(" (cannot be read: %1)").arg(item.checksError));
    }
    return lines;
}

QStringList FormatSequenceListing(const SequenceSource& source)
{
    QStringList lines{QStringLiteral("configuration: ") + DescribeOrigin(source)};
    for (const QString& warning : source.warnings) lines << QStringLiteral("note: ") + warning;
    for (const NamedSequence& n : source.sequences) {
        lines << QString();
        lines << FormatSequence(n);
    }
    return lines;
}

QString FormatStepText(const StepReport& s)
{
    QString line = QStringLiteral("%1 ms  step %2/%3  item %4  %5  %6: %7")
                       .arg(s.ms, 6)
                       .arg(s.step)
                       .arg(s.steps)
                       .arg(s.item)
                       .arg(s.action.leftJustified(s.actionWidth), DescribeCommand(s.command), s.result);
    if (!s.answer.isEmpty()) line += QStringLiteral("; received ") + QString::fromLatin1(s.answer.toHex(' '));
    for (const CheckResult& c : s.checks) line += QStringLiteral("; ") + ReportCheck(c);
    return line;
}

QString FormatStepJson(const StepReport& s)
{
    const SequenceCommand& c = s.command;
    const int reg = c.kind == ApplySettings ? kApplySettingsRegister : c.registerAddress;
    const int64_t value = c.kind == ApplySettings ? kApplySettingsValue : c.kind == WriteRegisterPair ? int64_t{c.value} : uint16_t(c.value);
    // Joined piece by piece: text from the file must not be taken for a placeholder.
    QString json = QStringLiteral("{\"ms\":%1,\"step\":%2,\"steps\":%3,\"item\":%4,\"action\":")
                       .arg(s.ms)
                       .arg(s.step)
                       .arg(s.steps)
                       .arg(s.item);
    json += jsonString(s.action);
    json += QStringLiteral(",\"function\":%1,\"register\":%2,\"count\":%3,\"value\":%4,\"result\":")
                .arg(functionOf(c))
                .arg(reg)
                .arg(c.kind == WriteRegisterPair ? 2 : 1)
                .arg(value);
    json += jsonString(s.result);
    if (!s.answer.isEmpty()) json += QStringLiteral(",\"answer\":") + jsonString(QString::fromLatin1(s.answer.toHex(' ')));
    if (!s.checks.empty()) {
        json += QStringLiteral(",\"checks\":[");
        for (size_t k = 0; k < s.checks.size(); ++k) {
            const CheckResult& c = s.checks[k];
            if (k > 0) json += QLatin1Char(',');
            json += QStringLiteral("{\"check\":") + jsonString(c.check) + QStringLiteral(",\"measured\":") + jsonString(c.measured) +
                    QStringLiteral(",\"result\":") + jsonString(CheckStateText(c.state)) + QLatin1Char('}');
        }
        json += QLatin1Char(']');
    }
    json += QLatin1Char('}');
    return json;
}

QString FormatEndJson(int64_t ms, const QString& verdict)
{
    QString json = QStringLiteral("{\"ms\":%1,\"end\":%2").arg(ms).arg(jsonString(kSequenceEndMessage));
    if (!verdict.isEmpty()) json += QStringLiteral(",\"verdict\":") + jsonString(verdict);
    return json + QLatin1Char('}');
}

}  // namespace zentor::cli
