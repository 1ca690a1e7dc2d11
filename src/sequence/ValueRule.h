#pragma once
// The constraints of the editor's value box for each action: unit label, allowed characters,
// decimals, length and maximum, and whether the action takes no value at all.

#include <QString>

namespace zentor {

struct ValueRule {
    QString unitLabel;      // shown over the value box
    QString allowed;        // every character the value may hold
    int decimals = 0;       // characters allowed after the "."
    int maxLength = 0;      // characters the box takes
    double maximum = 0;     // largest number the value may read as
    bool fixed = false;     // no value: the box shows "-" and is disabled
    bool operator==(const ValueRule&) const = default;
};

// The rule of an action by its name (the same in both control types); every name that takes
// no value, and any other text, gets the rule of the fixed actions.
ValueRule ValueRuleOf(const QString& action);
// The rule before any action has been chosen.
ValueRule InitialValueRule();

}  // namespace zentor
