#include "Expectations.h"

#include "ActionTable.h"

#include <QRegularExpression>
#include <cmath>

namespace zentor {

namespace {

constexpr char16_t kPlusMinus = u'\u00B1';

struct KindName {
    const char* name;
    CheckKind kind;
    int onlyType;  // 0: both control types
    bool onOff;    // judged against a state word, not a number
};

constexpr KindName kKinds[] = {
    {"rpm", CheckKind::Rpm, 0, false},           {"current", CheckKind::Current, 0, false},
    {"position", CheckKind::Position, PositionControl, false}, {"alarm", CheckKind::Alarm, 0, false},
    {"direction", CheckKind::Direction, 0, true}, {"brake", CheckKind::Brake, 0, true},
    {"run", CheckKind::Run, SpeedControl, true},  {"reset", CheckKind::Reset, PositionControl, true},
};

const KindName* kindNamed(const QString& word)
{
    for (const KindName& k : kKinds)
        if (word.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0) return &k;
    return nullptr;
}

// The state words of the on/off kinds, and the number each stands for.
bool stateWord(CheckKind kind, const QString& word, double* value)
{
    const QString w = word.toUpper();
    auto is = [&](const char* a) { return w == QLatin1String(a); };
    if (is("0") || is("1")) {
        *value = is("1") ? 1 : 0;
        return true;
    }
    switch (kind) {
    case CheckKind::Direction:
        if (is("CW") || is("CCW")) {
            *value = is("CCW") ? 1 : 0;
            return true;
        }
        return false;
    case CheckKind::Reset:
        if (is("HIGH") || is("LOW")) {
            *value = is("HIGH") ? 1 : 0;
            return true;
        }
        [[fallthrough]];
    default:
        if (is("ON") || is("OFF")) {
            *value = is("ON") ? 1 : 0;
            return true;
        }
        return false;
    }
}

const char* stateWords(CheckKind kind)
{
    switch (kind) {
    case CheckKind::Direction: return "CW or CCW";
    case CheckKind::Reset: return "HIGH or LOW";
    default: return "ON or OFF";
    }
}

bool number(const QString& text, double* value)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!re.match(text).hasMatch()) return false;
    *value = text.toDouble();
    return std::isfinite(*value);
}

// "1710..1890", also with blanks around the dots.
bool range(const QString& text, double* low, double* high)
{
    const int dots = text.indexOf(QLatin1String(".."));
    if (dots < 0) return false;
    return number(text.left(dots).trimmed(), low) && number(text.mid(dots + 2).trimmed(), high);
}

QString quoted(const QString& t) { return QStringLiteral("\"%1\"").arg(t); }

ExpectationParse refused(const QString& check, const QString& why)
{
    ExpectationParse p;
    p.error = QStringLiteral("%1: %2").arg(quoted(check), why);
    return p;
}

// The tolerance sign at the start of text: its length, 0 when there is none.
int toleranceSign(const QString& text)
{
    if (text.startsWith(kPlusMinus)) return 1;
    if (text.startsWith(QLatin1String("+-"))) return 2;
    if (text.startsWith(QStringLiteral("\u00C2\u00B1"))) return 2;  // UTF-8 "±" read as Latin-1
    return 0;
}

}  // namespace

ExpectationParse ParseExpectations(const QString& text, int controlType, const SequenceItem& item)
{
    ExpectationParse out;
    if (text.size() > kMaxExpectationsLength) {
        out.error = QStringLiteral("the expectations are longer than %1 characters").arg(kMaxExpectationsLength);
        return out;
    }
    const ResolvedCommand resolved = ResolveCommand(item, controlType);
    for (const QString& part : text.split(QLatin1Char(';'))) {
        const QString check = part.trimmed();
        if (check.isEmpty()) continue;
        if (check.contains(QChar::ReplacementCharacter))
            return refused(check, QStringLiteral("holds a character that could not be read; write +- for \u00B1"));
        int n = 0;
        while (n < check.size() && check[n].unicode() < 128 && check[n].isLetter()) ++n;
        const QString word = check.left(n);
        const KindName* kind = kindNamed(word);
        if (!kind)
            return refused(check, QStringLiteral("%1 is not a check; the checks are rpm, current, position, alarm, "
                                                 "direction, brake, run and reset")
                                      .arg(word.isEmpty() ? QStringLiteral("it") : quoted(word)));
        if (kind->onlyType != 0 && kind->onlyType != controlType)
            return refused(check, QStringLiteral("%1 is read in %2 control only")
                                      .arg(QLatin1String(kind->name),
                                           kind->onlyType == SpeedControl ? QLatin1String("speed")
                                                                          : QLatin1String("position")));
        Expectation e;
        e.kind = kind->kind;
        e.text = check;
        const QString rest = check.mid(n).trimmed();
        const QString how = kind->onOff
                                ? QStringLiteral("write %1 = %2").arg(QLatin1String(kind->name), QLatin1String(stateWords(kind->kind)))
                                : QStringLiteral("write a range (%1 1710..1890), a bound (%1 <= 2.5), a value (%1 = 0) "
                                                 "or a tolerance (%1 \u00B15%)")
                                      .arg(QLatin1String(kind->name));
        if (rest.isEmpty()) return refused(check, QStringLiteral("nothing to compare with; ") + how);

        if (const int sign = toleranceSign(rest)) {
            if (kind->onOff) return refused(check, QStringLiteral("a state has no tolerance; ") + how);
            QString amount = rest.mid(sign).trimmed();
            const bool percent = amount.endsWith(QLatin1Char('%'));
            if (percent) amount = amount.chopped(1).trimmed();
            if (amount.startsWith(QLatin1Char('-')) || amount.startsWith(QLatin1Char('+')) || !number(amount, &e.low))
                return refused(check, QStringLiteral("%1 is not a tolerance; write \u00B15% or \u00B12").arg(quoted(rest)));
            const char* commands = kind->kind == CheckKind::Rpm        ? "SPEED-INPUT"
                                   : kind->kind == CheckKind::Position ? "POSITION-INPUT"
                                                                       : nullptr;
            if (!commands || item.action != QLatin1String(commands) || !resolved.ok())
                return refused(check, commands ? QStringLiteral("a tolerance is taken around what the item commands: it "
                                                                "needs a %1 item")
                                                     .arg(QLatin1String(commands))
                                               : QStringLiteral("a tolerance is taken around what the item commands, and "
                                                                "no item commands a %1; write a range or a bound")
                                                     .arg(QLatin1String(kind->name)));
            e.op = percent ? CheckOp::WithinPercent : CheckOp::Within;
            e.commanded = resolved.command.value;
            out.checks.push_back(e);
            continue;
        }

        struct OpText {
            const char* text;
            CheckOp op;
        };
        static constexpr OpText kOps[] = {{"<=", CheckOp::LessEqual}, {">=", CheckOp::GreaterEqual}, {"==", CheckOp::Equal},
                                          {"<", CheckOp::Less},       {">", CheckOp::Greater},       {"=", CheckOp::Equal}};
        const OpText* op = nullptr;
        for (const OpText& o : kOps)
            if (rest.startsWith(QLatin1String(o.text))) {
                op = &o;
                break;
            }
        if (op) {
            const QString value = rest.mid(int(qstrlen(op->text))).trimmed();
            if (kind->onOff) {
                if (op->op != CheckOp::Equal) return refused(check, QStringLiteral("a state is equal or not; ") + how);
                if (!stateWord(kind->kind, value, &e.low))
                    return refused(check, QStringLiteral("%1 is not %2").arg(quoted(value), QLatin1String(stateWords(kind->kind))));
            } else if (!number(value, &e.low)) {
                return refused(check, QStringLiteral("%1 is not a number").arg(quoted(value)));
            }
            e.op = op->op;
            out.checks.push_back(e);
            continue;
        }
        if (!kind->onOff && rest.contains(QLatin1String(".."))) {
            if (!range(rest, &e.low, &e.high))
                return refused(check, QStringLiteral("a range is two numbers, as 1710..1890"));
            if (e.low > e.high) return refused(check, QStringLiteral("the range's first number is above its second"));
            e.op = CheckOp::Range;
            out.checks.push_back(e);
            continue;
        }
        return refused(check, QStringLiteral("%1 is no comparison; ").arg(quoted(rest)) + how);
    }
    return out;
}

QString ExpectationsForFile(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\u00C2\u00B1"), QStringLiteral("+-"));
    t.replace(QChar(kPlusMinus), QStringLiteral("+-"));
    return t;
}

StatusSample SampleStatus(const RegisterMap& m)
{
    StatusSample s;
    s.rpm = m.value(MotorRpm);
    s.current = m.value(MotorCurrent) / 100.0;
    s.position = m.signed32(PositionHigh, PositionLow);
    s.alarm = m.value(AlarmState);
    s.direction = m.value(DirectionFeedback) != 0 ? 1 : 0;
    s.brake = m.value(BrakeState) != 0 ? 1 : 0;
    s.run = m.value(RunState) != 0 ? 1 : 0;
    s.deviceId = m.value(DeviceIdRegister) & 0xFF;
    return s;
}

CheckResult Judge(const Expectation& c, const StatusSample& s)
{
    double m = 0;
    QString measured;
    switch (c.kind) {
    case CheckKind::Rpm: m = s.rpm; measured = QString::number(m, 'f', 0); break;
    case CheckKind::Current: m = s.current; measured = QString::number(m, 'f', 2) + QStringLiteral(" A"); break;
    case CheckKind::Position: m = s.position; measured = QString::number(m, 'f', 0); break;
    case CheckKind::Alarm: m = s.alarm; measured = QString::number(m, 'f', 0); break;
    case CheckKind::Direction: m = s.direction; measured = m != 0 ? QStringLiteral("CCW") : QStringLiteral("CW"); break;
    case CheckKind::Brake: m = s.brake; measured = m != 0 ? QStringLiteral("ON") : QStringLiteral("OFF"); break;
    case CheckKind::Run: m = s.run; measured = m != 0 ? QStringLiteral("ON") : QStringLiteral("OFF"); break;
    case CheckKind::Reset: m = s.run; measured = m != 0 ? QStringLiteral("HIGH") : QStringLiteral("LOW"); break;
    }
    bool pass = false;
    switch (c.op) {
    case CheckOp::Range: pass = m >= c.low && m <= c.high; break;
    case CheckOp::Equal: pass = m == c.low; break;
    case CheckOp::LessEqual: pass = m <= c.low; break;
    case CheckOp::GreaterEqual: pass = m >= c.low; break;
    case CheckOp::Less: pass = m < c.low; break;
    case CheckOp::Greater: pass = m > c.low; break;
    case CheckOp::Within: pass = std::fabs(m - c.commanded) <= c.low; break;
    // Multiplied out, so that 5 % of 1800 is 90 exactly.
    case CheckOp::WithinPercent: pass = std::fabs(m - c.commanded) * 100 <= std::fabs(c.commanded) * c.low; break;
    }
    return {c.text, pass ? CheckState::Pass : CheckState::Fail, measured};
}

QString CheckStateText(CheckState state)
{
    switch (state) {
    case CheckState::Pass: return QStringLiteral("PASS");
    case CheckState::Fail: return QStringLiteral("FAIL");
    case CheckState::Incomplete: return QStringLiteral("INCOMPLETE");
    case CheckState::Pending: break;
    }
    return QStringLiteral("PENDING");
}

}  // namespace zentor
