#include "TextNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zentor {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\v') || c == QLatin1Char('\f');
}

// Index of the first character after leading blanks and an optional sign; negative tells the sign.
int skipBlanksAndSign(const QString& t, bool& negative)
{
    int i = 0;
    while (i < t.size() && isBlank(t[i])) ++i;
    negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    return i;
}

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

// Accumulates one digit into a magnitude kept as a negative number, so that the 64-bit minimum
// is reachable; saturates.
void accumulate(int64_t& negativeMagnitude, int digit, bool& saturated)
{
    if (saturated) return;
    if (negativeMagnitude < (kMin + digit) / 10) {
        saturated = true;
        return;
    }
    negativeMagnitude = negativeMagnitude * 10 - digit;
}

int64_t finish(int64_t negativeMagnitude, bool negative, bool saturated)
{
    if (saturated) return negative ? kMin : kMax;
    if (negative) return negativeMagnitude;
    return negativeMagnitude == kMin ? kMax : -negativeMagnitude;
}

}  // namespace

int64_t LeadingInteger(const QString& t)
{
    bool negative = false;
    int i = skipBlanksAndSign(t, negative);
    int64_t m = 0;
    bool saturated = false;
    while (i < t.size() && isDigit(t[i])) accumulate(m, t[i++].unicode() - '0', saturated);
    return finish(m, negative, saturated);
}

double LeadingNumber(const QString& t)
{
    bool negative = false;
    int i = skipBlanksAndSign(t, negative);
    std::string number;
    int digits = 0;
    while (i < t.size() && isDigit(t[i])) {
        number += static_cast<char>(t[i++].unicode());
        ++digits;
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        number += '.';
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            number += static_cast<char>(t[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    // An exponent counts only with at least one digit: "5e" reads as 5.
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        int j = i + 1;
        std::string exponent = "e";
        if (j < t.size() && (t[j] == QLatin1Char('+') || t[j] == QLatin1Char('-'))) exponent += static_cast<char>(t[j++].unicode());
        if (j < t.size() && isDigit(t[j])) {
            while (j < t.size() && isDigit(t[j])) exponent += static_cast<char>(t[j++].unicode());
            number += exponent;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large, or so small that it reads as zero.
        const bool small = number.find("e-") != std::string::npos ||
                           number.substr(0, number.find('.')).find_first_not_of('0') == std::string::npos;
        value = small ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

int64_t ScaledDecimal(const QString& t, int decimals)
{
    bool negative = false;
    int i = skipBlanksAndSign(t, negative);
    int64_t m = 0;
    bool saturated = false;
    while (i < t.size() && isDigit(t[i])) accumulate(m, t[i++].unicode() - '0', saturated);
    int taken = 0;
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        // Digits beyond the scale are cut off: truncation toward zero.
        while (i < t.size() && isDigit(t[i]) && taken < decimals) {
            accumulate(m, t[i++].unicode() - '0', saturated);
            ++taken;
        }
    }
    for (; taken < decimals; ++taken) accumulate(m, 0, saturated);
    return finish(m, negative, saturated);
}

bool ParseWholeNumber(const QString& text, long long min, long long max, long long& value)
{
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t[0] == QLatin1Char('-');
        t = t.mid(1);
    }
    if (t.isEmpty() || t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) return false;
    bool ok = false;
    qulonglong magnitude = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        if (t.size() == 2) return false;
        magnitude = t.mid(2).toULongLong(&ok, 16);
    } else {
        for (QChar c : t)
            if (!c.isDigit()) return false;
        magnitude = t.toULongLong(&ok, 10);
    }
    // Far beyond any number these programs take: refused before it could overflow.
    if (!ok || magnitude > (1ULL << 40)) return false;
    const long long v = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (v < min || v > max) return false;
    value = v;
    return true;
}

}  // namespace zentor
