#pragma once
// The fixed action table of each control type and the rule that turns a sequence item into
// the register write the driver receives.

#include "DriverCommands.h"
#include "SequenceForms.h"
#include "ValueRule.h"

#include <QStringList>
#include <span>

namespace zentor {

// How an item's value text becomes the number that is sent.
enum class ValueKind {
    Fixed1,     // the text is not read; 1 is sent
    Fixed0,     // the text is not read; 0 is sent
    Integer,    // the leading decimal integer
    Times100,   // the leading decimal number times 100, exact from its digits
    Times1000,  // the leading decimal number times 1000, exact from its digits
    Apply,      // the apply-settings command
};

struct SequenceAction {
    const char* name;
    int registerAddress;  // the first register of the pair for POSITION-INPUT
    ValueKind valueKind;
    int commandKind;      // SequenceCommandKind
    ValueRule rule;       // the editor's value box; rule.unitLabel is its unit label
};

// The ordered table of speed control (15 actions) or position control (14); empty for any
// other type. The index is the editor's action list index.
std::span<const SequenceAction> ActionTable(int controlType);
// The names in table order, as the editor's action list shows them.
QStringList ActionNames(int controlType);
// Index of the action with exactly this name in the type's table, -1 when none.
int ActionIndexOf(const QString& name, int controlType);

enum class ResolveStatus {
    Resolved,
    UnknownAction,    // the action matches no name of the control type's table
    ValueOutOfRange,  // the value does not fit the register(s): it would arrive as another number
    FieldTooLong,     // a field is longer than the stored forms hold (kMaxFieldLength)
};

struct ResolvedCommand {
    ResolveStatus status = ResolveStatus::UnknownAction;
    int actionIndex = -1;     // -1 unless resolved
    SequenceCommand command;  // meaningful only when resolved
    bool ok() const { return status == ResolveStatus::Resolved; }
};

// The item's action looked up in the control type's table (exact, case-sensitive) and its
// value converted by the action's value kind. An item that does not resolve sends nothing.
ResolvedCommand ResolveCommand(const SequenceItem& item, int controlType);

}  // namespace zentor
