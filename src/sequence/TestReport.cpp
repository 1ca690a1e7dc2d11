#include "TestReport.h"

#include "CsvText.h"
#include "RegisterMap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zentor {

namespace {

QString hex4(int value) { return QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0')); }

QString identity(int deviceId)
{
    if (deviceId < 0) return QStringLiteral("not read (no check read a status)");
    return QString::asprintf("ID : %d (0x%02X)", deviceId, static_cast<unsigned>(deviceId));
}

}  // namespace

QString ConsoleVersion() { return QStringLiteral(ZENTOR_VERSION); }

QString ReportTime(const QDateTime& t)
{
    const int offset = t.offsetFromUtc();
    const int a = offset < 0 ? -offset : offset;
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QString::asprintf(" %c%02d:%02d", offset < 0 ? '-' : '+', a / 3600, a % 3600 / 60);
}

QString ReportControlType(int controlType)
{
    if (controlType == SpeedControl) return QStringLiteral("Speed Control");
    if (controlType == PositionControl) return QStringLiteral("Position Control");
    return QStringLiteral("(Select)");
}

QString ReportCommand(const SequenceCommand& c)
{
    switch (c.kind) {
    case WriteRegisterPair:
        return QStringLiteral("registers %1-%2 = %3 (function 16)").arg(c.registerAddress).arg(c.registerAddress + 1).arg(c.value);
    case ApplySettings:
        return QStringLiteral("register 0x%1 = 0x%2 (function 06)").arg(hex4(kApplySettingsRegister), hex4(kApplySettingsValue));
    default:
        return QStringLiteral("register %1 = %2 (function 06)").arg(c.registerAddress).arg(uint16_t(c.value));
    }
}

QString ReportAnswer(const StepRecord& step) { return step.answer.isEmpty() ? QStringLiteral("no answer") : step.answer; }

QString ReportCheck(const CheckResult& c)
{
    const QString state = CheckStateText(c.state);
    return c.measured.isEmpty() ? QStringLiteral("%1: %2").arg(c.check, state)
                                : QStringLiteral("%1: %2 %3").arg(c.check, c.measured, state);
}

QList<QPair<QString, QString>> ReportFields(const TestReport& r)
{
    return {
        {QStringLiteral("Title"), kReportTitle},
        {QStringLiteral("Date and time"), ReportTime(r.startedAt)},
        {QStringLiteral("Console version"), r.version},
        {QStringLiteral("Port"), r.port},
        {QStringLiteral("Baud rate"), QString::number(r.baud)},
        {QStringLiteral("Slave address"), QString::number(r.slave)},
        {QStringLiteral("Control type"), ReportControlType(r.controlType)},
        {QStringLiteral("Driver identity"), identity(r.record.deviceId)},
        {QStringLiteral("Unit"), r.unit},
        {QStringLiteral("Sequence section"), r.section},
        {QStringLiteral("SET"), r.setLine},
        {QStringLiteral("Checks"), QStringLiteral("%1 of %2 passed, %3 failed, %4 incomplete")
                                       .arg(r.record.checkCount() - r.record.failed() - r.record.incomplete())
                                       .arg(r.record.checkCount())
                                       .arg(r.record.failed())
                                       .arg(r.record.incomplete())},
    };
}

QString ReportCsv(const TestReport& r)
{
    using record::CsvLine;
    QString out;
    for (const auto& [name, value] : ReportFields(r)) out += CsvLine({name, value});
    out += QLatin1Char('\n');
    out += CsvLine({QStringLiteral("ms"), QStringLiteral("step"), QStringLiteral("item"), QStringLiteral("line"),
                    QStringLiteral("command"), QStringLiteral("answer"), QStringLiteral("check"), QStringLiteral("measured"),
                    QStringLiteral("result")});
    for (const StepRecord& s : r.record.steps) {
        const QStringList step{QString::number(s.sentAtMs), QString::number(s.step), QString::number(s.item + 1), s.line,
                               ReportCommand(s.command), ReportAnswer(s)};
        if (s.checks.empty()) out += CsvLine(step + QStringList{QString(), QString(), QString()});
        for (const CheckResult& c : s.checks) out += CsvLine(step + QStringList{c.check, c.measured, CheckStateText(c.state)});
    }
    out += QLatin1Char('\n');
    out += CsvLine({QStringLiteral("Verdict"), r.record.verdict()});
    return out;
}

QString ReportJson(const TestReport& r)
{
    QJsonObject o;
    o.insert(QStringLiteral("title"), kReportTitle);
    o.insert(QStringLiteral("time"), ReportTime(r.startedAt));
    o.insert(QStringLiteral("version"), r.version);
    o.insert(QStringLiteral("port"), r.port);
    o.insert(QStringLiteral("baud"), r.baud);
    o.insert(QStringLiteral("slave"), r.slave);
    o.insert(QStringLiteral("controlType"), ReportControlType(r.controlType));
    o.insert(QStringLiteral("deviceId"), r.record.deviceId);
    o.insert(QStringLiteral("unit"), r.unit);
    o.insert(QStringLiteral("section"), r.section);
    o.insert(QStringLiteral("set"), r.setLine);
    QJsonArray steps;
    for (const StepRecord& s : r.record.steps) {
        QJsonObject step;
        step.insert(QStringLiteral("ms"), qint64(s.sentAtMs));
        step.insert(QStringLiteral("step"), qint64(s.step));
        step.insert(QStringLiteral("item"), s.item + 1);
        step.insert(QStringLiteral("line"), s.line);
        step.insert(QStringLiteral("command"), ReportCommand(s.command));
        step.insert(QStringLiteral("answer"), ReportAnswer(s));
        QJsonArray checks;
        for (const CheckResult& c : s.checks)
            checks.append(QJsonObject{{QStringLiteral("check"), c.check},
                                      {QStringLiteral("measured"), c.measured},
                                      {QStringLiteral("result"), CheckStateText(c.state)}});
        step.insert(QStringLiteral("checks"), checks);
        steps.append(step);
    }
    o.insert(QStringLiteral("steps"), steps);
    o.insert(QStringLiteral("failed"), r.record.failed());
    o.insert(QStringLiteral("incomplete"), r.record.incomplete());
    o.insert(QStringLiteral("verdict"), r.record.verdict());
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

QStringList ReportLines(const TestReport& r)
{
    QStringList lines;
    for (const auto& [name, value] : ReportFields(r))
        if (name != QLatin1String("Title")) lines << QStringLiteral("%1: %2").arg(name, value);
    lines << QString();
    for (const StepRecord& s : r.record.steps) {
        lines << QStringLiteral("%1 ms  step %2  item %3  %4  %5: %6")
                     .arg(s.sentAtMs)
                     .arg(s.step)
                     .arg(s.item + 1)
                     .arg(s.line, ReportCommand(s.command), ReportAnswer(s));
        for (const CheckResult& c : s.checks) lines << QStringLiteral("    ") + ReportCheck(c);
    }
    return lines;
}

}  // namespace zentor
