#pragma once
// The seven motor settings as plain logic: what may be typed into each field, what its SET
// does with the typed text (nothing, a refusal with a message, or a register value), and how
// a register value is shown.

#include <QString>
#include <cstdint>

namespace zentor::settings {

enum class MotorSetting { Poles, ReducerRatio, CurrentLimit, MaxRpm, AccelTime, DecelTime, LockTime };

// The characters a field takes.
int TypingLimitOf(MotorSetting setting);
// Whether the operator may leave this text in the field; a text that breaks the field's rules
// is emptied. An empty text is always allowed.
bool TypedTextAllowed(MotorSetting setting, const QString& text);

struct SetDecision {
    enum Kind { Ignore, Refuse, Send };
    Kind kind = Ignore;
    QString message;     // for Refuse: the message shown before the field is emptied
    uint16_t value = 0;  // for Send: the register value
};
// What SET does with the field's text. Decimal settings are scaled from the typed digits
// exactly, so the register receives the value the operator typed.
SetDecision DecideSet(MotorSetting setting, const QString& text);

// The label text of a register value, with the setting's own text for 0.
QString SettingText(MotorSetting setting, uint16_t value);

}  // namespace zentor::settings
