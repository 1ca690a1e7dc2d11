#include "EditorRules.h"

#include "TextNumbers.h"

#include <cstdint>
#include <limits>

namespace zentor {

namespace {

bool onlyOf(const QString& text, const QString& allowed)
{
    for (const QChar c : text)
        if (!allowed.contains(c)) return false;
    return true;
}

// More than one point, or more characters after the point than allowed.
bool badDecimals(const QString& text, int decimals)
{
    if (text.count(QLatin1Char('.')) > 1) return true;
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    return point >= 0 && text.size() - point - 1 > decimals;
}

}  // namespace

QString ValidateValue(const QString& text, const ValueRule& rule)
{
    if (badDecimals(text, rule.decimals) || !onlyOf(text, rule.allowed)) return {};
    // Compared in double precision: every maximum and every number the box can take is exact
    // there, so 2147483648 (which a 32-bit float rounds to the maximum) is above 2147483647.
    if (LeadingNumber(text) > rule.maximum) return {};
    if (LeadingInteger(text) <= std::numeric_limits<int32_t>::min()) return {};
    return text;
}

QString ValidateTime(const QString& text)
{
    if (badDecimals(text, 1) || !onlyOf(text, QStringLiteral(".0123456789"))) return {};
    // 0.1 s is shorter than the runner can keep; together with ADD refusing 0 this makes 0.2
    // the shortest time.
    if (QString::asprintf("%0.1f", LeadingNumber(text)) == QLatin1String("0.1")) return {};
    return text;
}

QString ValidateCount(const QString& text)
{
    if (!onlyOf(text, QStringLiteral("0123456789")) || text == QLatin1String("0")) return {};
    return text;
}

ActionRuleResult ApplyActionRule(const QString& chosenAction, const QString& rowAction, const EditorBoxes& boxes)
{
    ActionRuleResult r;
    r.boxes = boxes;
    if (chosenAction != rowAction || r.boxes.value == QLatin1String("-")) r.boxes.value.clear();
    if (r.boxes.time.isEmpty()) r.boxes.time = QStringLiteral("1");
    if (r.boxes.repeat.isEmpty()) r.boxes.repeat = QStringLiteral("1");
    r.rule = chosenAction.isEmpty() ? InitialValueRule() : ValueRuleOf(chosenAction);
    if (r.rule.fixed) {
        r.boxes.value = QStringLiteral("-");
        r.valueEnabled = false;
    }
    return r;
}

}  // namespace zentor
