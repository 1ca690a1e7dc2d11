#include "ValueRule.h"

namespace zentor {

namespace {

const QString kDigits = QStringLiteral("0123456789");
const QString kDecimal = QStringLiteral(".0123456789");
const QString kSigned = QStringLiteral("-0123456789");
const QString kValue = QStringLiteral("Value");

}  // namespace

ValueRule ValueRuleOf(const QString& a)
{
    if (a == QLatin1String("SPEED-INPUT")) return {kValue, kDigits, 0, 5, 30000, false};
    if (a == QLatin1String("POSITION-INPUT")) return {QStringLiteral("(Step)"), kSigned, 0, 11, 2147483647.0, false};
    if (a == QLatin1String("SET : ACC") || a == QLatin1String("SET : DEC") || a == QLatin1String("SET : LOCK-TIME"))
        return {QStringLiteral("(Sec)"), kDecimal, 1, 3, 5, false};
    if (a == QLatin1String("SET : CURRENT-LIMIT")) return {QStringLiteral("(A)"), kDecimal, 1, 4, 500, false};
    if (a == QLatin1String("SET : POLE")) return {kValue, kDigits, 0, 3, 999, false};
    // The register holds 16 bits: 65535 is the largest speed it can take.
    if (a == QLatin1String("SET : MAX-RPM")) return {kValue, kDigits, 0, 5, 65535, false};
    if (a == QLatin1String("SET : REDUCER")) return {kValue, kDecimal, 2, 6, 655, false};
    return {kValue, kDigits, 0, 6, 999999, true};
}

ValueRule InitialValueRule() { return {kValue, kDigits, 0, 4, 5000, false}; }

}  // namespace zentor
