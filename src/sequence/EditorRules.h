#pragma once
// What the editor row does with typed text: the value, time and count checks that empty a box,
// and the rule an action choice applies to the value, time and repeat boxes.

#include "ValueRule.h"

#include <QString>

namespace zentor {

// The characters the time box and the repeat boxes take; the value box takes its rule's
// maxLength. A character beyond them is refused where it is typed, by the box itself.
constexpr int kTimeLength = 6;
constexpr int kCountLength = 5;

// Each check returns the text the box holds afterwards: the text as typed, or empty when it
// breaks a rule.
QString ValidateValue(const QString& text, const ValueRule& rule);
QString ValidateTime(const QString& text);
QString ValidateCount(const QString& text);

// The value, time and repeat boxes of the editor row.
struct EditorBoxes {
    QString value;
    QString time;
    QString repeat;
    bool operator==(const EditorBoxes&) const = default;
};

struct ActionRuleResult {
    ValueRule rule;       // the value box's new rule; rule.unitLabel goes over the box
    EditorBoxes boxes;    // written back into the boxes
    bool valueEnabled = true;
};

// chosenAction: the action now selected (empty when none is). rowAction: the action of the
// row the No. list selects (empty for the new-item entry).
ActionRuleResult ApplyActionRule(const QString& chosenAction, const QString& rowAction, const EditorBoxes& boxes);

}  // namespace zentor
