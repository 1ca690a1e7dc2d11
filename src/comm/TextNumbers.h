#pragma once
// How the console reads a number out of typed or stored text: the leading integer, the leading
// decimal number, a decimal number scaled by a power of ten exactly from its digits, and a
// whole number of a command line.
// None of them depends on the locale.

#include <QString>
#include <cstdint>

namespace zentor {

// Leading blanks, an optional sign, then digits up to the first other character; 0 when there
// are none. Saturates at the 64-bit limits.
int64_t LeadingInteger(const QString& text);

// Leading blanks, an optional sign, digits with an optional point and fraction, and an
// optional exponent; 0 when there is none. Too large a number gives +-infinity.
double LeadingNumber(const QString& text);

// The leading decimal number (blanks, sign, digits, point, digits; no exponent) times
// 10^decimals, formed from its digits and truncated toward zero: "0.29" with 2 gives 29,
// where 0.29 * 100 in floating point gives 28.999... Saturates at the 64-bit limits.
int64_t ScaledDecimal(const QString& text, int decimals);

// A whole number given on a command line: decimal or 0x hexadecimal with an optional sign and
// blanks around it, nothing else; false when the text is no such number or lies outside
// [min, max], and value is then left as it was.
bool ParseWholeNumber(const QString& text, long long min, long long max, long long& value);

}  // namespace zentor
