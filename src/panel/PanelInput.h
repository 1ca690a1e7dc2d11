#pragma once
// The operator's inputs on the control panel as plain functions: validation of the speed and
// position edits, their slider conversions and captions, and the values the SET buttons send.

#include "RegisterMap.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace zentor::panel {

// ReducerRatio x PoleCount x 3 / 100 of the current values, truncating. Never negative: the
// product is formed in 64 bits, so large settings cannot wrap into a negative step count.
// 0 whenever PoleCount or ReducerRatio reads 0 (for instance before the first status answer).
int StepsPerRevolution(const RegisterMap& m);

// --- speed edit 1072, slider 1003, SET 1005 ---

// Leading decimal number of the text (digits, an optional point and digits), as the edit reads
// it: "1.." is 1, ".5" is 0.5, "" and "." are 0. Independent of the locale.
double SpeedTextDecimal(const QString& t);
// Only ".0123456789", at most one character after the first ".", value at most 100.0.
bool SpeedTextValid(const QString& t);
// Slider position for valid text: the value truncated (empty text is 0).
int SpeedSliderFromText(const QString& t);
// Edit text after the slider is released: "%d.0".
QString SpeedTextFromSlider(int pos);
// Value for SpeedCommand: nothing for empty text; else the percentage in single precision,
// times MaxRpm, / 100.0, truncated toward zero. Results beyond 16 bits saturate at 65535
// instead of wrapping into a small, wrong speed.
std::optional<uint16_t> SpeedSetValue(const QString& text, uint16_t maxRpm);

// --- position edit 1073, slider 1021, SET 1023 ---

// Decimal conversion of the leading number that saturates at the 32-bit limits; empty text and
// a lone "-" are 0.
int32_t PositionTextValue(const QString& t);
// Only "-0123456789", "-" only as the first character, value not -2147483648.
bool PositionTextValid(const QString& t);

// A step count split into the fraction of a revolution and whole revolutions, both of the
// magnitude. With no steps per revolution known (s <= 0) there are no whole revolutions: the
// remainder is the whole magnitude and revolutions are 0. Fields saturate at INT_MAX (only
// reachable with n = -2147483648 and s <= 1).
struct PositionSplit {
    QString sign;  // "-" for a negative n, else empty
    int remainder = 0;
    int revolutions = 0;
};
PositionSplit SplitPosition(int32_t n, int stepsPerRev);

// Caption 1065 while typing: " Position-Step ( %d/R ) < %s%d/%s%dR > [ %d ]" of s, sign,
// remainder, sign, revolutions and the current target.
QString PositionEditCaption(int stepsPerRev, int32_t n, int32_t target);

// What releasing the position slider shows: the typed target keeps its whole revolutions and
// sign and takes the slider as its fraction. With s <= 0 the slider stands for nothing and n
// is kept. A result beyond the 32-bit range saturates at +-2147483647 rather than wrapping
// into a target of the opposite sign.
struct SliderRelease {
    int32_t value = 0;
    QString editText;
    QString caption;
};
SliderRelease PositionSliderRelease(int32_t n, int stepsPerRev, int sliderPos, int32_t target);

// Data block of the function-16 write of TargetPositionHigh/Low: n, most significant byte first.
std::array<uint8_t, 4> PositionSetBlock(int32_t n);

}  // namespace zentor::panel
