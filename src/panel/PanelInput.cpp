#include "PanelInput.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace zentor::panel {

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int SaturateToInt(int64_t v)
{
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

// Magnitude of a 32-bit value; 64 bits so that -2147483648 has one.
int64_t Magnitude(int32_t n) { return n < 0 ? -static_cast<int64_t>(n) : n; }

QString StepCaption(int s, const QString& sign, int64_t remainder, int64_t revolutions, int32_t target)
{
    return QString::asprintf(" Position-Step ( %d/R ) < %s%lld/%s%lldR > [ %d ]", s, qPrintable(sign),
                             static_cast<long long>(remainder), qPrintable(sign), static_cast<long long>(revolutions),
                             target);
}

// Remainder and revolutions of a magnitude; s <= 0 keeps all of it as the remainder.
void SplitMagnitude(int64_t magnitude, int s, int64_t& remainder, int64_t& revolutions)
{
    if (s <= 0) {
        remainder = magnitude;
        revolutions = 0;
        return;
    }
    remainder = magnitude % s;
    revolutions = magnitude / s;
}

}  // namespace

int StepsPerRevolution(const RegisterMap& m)
{
    const int64_t steps = int64_t{m.value(ReducerRatio)} * m.value(PoleCount) * 3 / 100;
    return static_cast<int>(steps);  // at most 65535 * 65535 * 3 / 100, well inside 32 bits
}

double SpeedTextDecimal(const QString& t)
{
    // The leading number only, as the C conversion reads it, but never through the locale:
    // a decimal comma locale must not turn "12.5" into 12.
    std::string prefix;
    int i = 0;
    while (i < t.size() && IsDigit(t[i])) prefix += static_cast<char>(t[i++].unicode());
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        prefix += '.';
        ++i;
        while (i < t.size() && IsDigit(t[i])) prefix += static_cast<char>(t[i++].unicode());
    }
    double value = 0.0;
    const auto result = std::from_chars(prefix.data(), prefix.data() + prefix.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too many digits for a double: huge when the whole part has a non-zero digit, else tiny.
        const auto whole = prefix.substr(0, prefix.find('.'));
        return whole.find_first_not_of('0') != std::string::npos ? HUGE_VAL : 0.0;
    }
    if (result.ec != std::errc()) return 0.0;  // "" or "." alone
    return value;
}

bool SpeedTextValid(const QString& t)
{
    for (QChar c : t)
        if (!IsDigit(c) && c != QLatin1Char('.')) return false;
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    if (point >= 0 && t.size() - point - 1 > 1) return false;
    return !(SpeedTextDecimal(t) > 100.0);
}

int SpeedSliderFromText(const QString& t)
{
    const double v = SpeedTextDecimal(t);
    return v >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(v);
}

QString SpeedTextFromSlider(int pos) { return QString::asprintf("%d.0", pos); }

std::optional<uint16_t> SpeedSetValue(const QString& text, uint16_t maxRpm)
{
    if (text.isEmpty()) return std::nullopt;
    // The percentage is a single-precision number and so is its product with MaxRpm; only the
    // division by 100 is in double precision. This keeps 33.3 % of 3000 at 999.
    const float p = static_cast<float>(SpeedTextDecimal(text));
    const float product = p * static_cast<float>(maxRpm);
    const double value = std::trunc(product / 100.0);
    if (!(value > 0.0)) return uint16_t{0};  // zero, or no number at all
    if (value >= 65535.0) return uint16_t{65535};
    return static_cast<uint16_t>(value);
}

int32_t PositionTextValue(const QString& t)
{
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) negative = t[i++] == QLatin1Char('-');
    int64_t magnitude = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i) {
        magnitude = magnitude * 10 + (t[i].unicode() - '0');
        if (magnitude > int64_t{INT32_MAX} + 1) magnitude = int64_t{INT32_MAX} + 1;  // saturated
    }
    const int64_t v = negative ? -magnitude : magnitude;
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

bool PositionTextValid(const QString& t)
{
    for (int i = 0; i < t.size(); ++i) {
        if (t[i] == QLatin1Char('-')) {
            if (i != 0) return false;
        } else if (!IsDigit(t[i])) {
            return false;
        }
    }
    // -2147483648 has no magnitude in 32 bits, and every larger negative text saturates to it.
    return PositionTextValue(t) != INT32_MIN;
}

PositionSplit SplitPosition(int32_t n, int stepsPerRev)
{
    int64_t remainder = 0;
    int64_t revolutions = 0;
    SplitMagnitude(Magnitude(n), stepsPerRev, remainder, revolutions);
    PositionSplit split;
    split.sign = n < 0 ? QStringLiteral("-") : QString();
    split.remainder = SaturateToInt(remainder);
    split.revolutions = SaturateToInt(revolutions);
    return split;
}

QString PositionEditCaption(int stepsPerRev, int32_t n, int32_t target)
{
    int64_t remainder = 0;
    int64_t revolutions = 0;
    SplitMagnitude(Magnitude(n), stepsPerRev, remainder, revolutions);
    return StepCaption(stepsPerRev, n < 0 ? QStringLiteral("-") : QString(), remainder, revolutions, target);
}

SliderRelease PositionSliderRelease(int32_t n, int stepsPerRev, int sliderPos, int32_t target)
{
    SliderRelease r;
    if (stepsPerRev <= 0) {
        r.value = n;
    } else {
        const int64_t s = stepsPerRev;
        int64_t v = (Magnitude(n) / s) * s + sliderPos;
        if (n < 0) v = -v;
        r.value = v > INT32_MAX ? INT32_MAX : v < -int64_t{INT32_MAX} ? -INT32_MAX : static_cast<int32_t>(v);
    }
    int64_t remainder = 0;
    int64_t revolutions = 0;
    SplitMagnitude(Magnitude(r.value), stepsPerRev, remainder, revolutions);
    // The sign text is that of the typed target, so a target of -5 slid to 0 reads "-0/-0R".
    r.editText = QString::number(r.value);
    r.caption = StepCaption(stepsPerRev, n < 0 ? QStringLiteral("-") : QString(), remainder, revolutions, target);
    return r;
}

std::array<uint8_t, 4> PositionSetBlock(int32_t n)
{
    const auto u = static_cast<uint32_t>(n);
    return {static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 8),
            static_cast<uint8_t>(u)};
}

}  // namespace zentor::panel
