#include "MotorSettingRules.h"

#include "TextNumbers.h"

namespace zentor::settings {

namespace {

bool onlyOf(const QString& text, QLatin1StringView allowed)
{
    for (QChar c : text)
        if (!allowed.contains(c)) return false;
    return true;
}

// Characters after the first point, or -1 without a point.
int charactersAfterPoint(const QString& text)
{
    const int point = text.indexOf(QLatin1Char('.'));
    return point < 0 ? -1 : int(text.size()) - point - 1;
}

const QLatin1StringView kDigits("0123456789");
const QLatin1StringView kDecimal(".0123456789");

}  // namespace

int TypingLimitOf(MotorSetting setting)
{
    switch (setting) {
    case MotorSetting::Poles: return 2;
    case MotorSetting::ReducerRatio: return 6;
    case MotorSetting::CurrentLimit: return 4;
    case MotorSetting::MaxRpm: return 5;
    case MotorSetting::AccelTime:
    case MotorSetting::DecelTime:
    case MotorSetting::LockTime: return 3;
    }
    return 0;
}

bool TypedTextAllowed(MotorSetting setting, const QString& text)
{
    switch (setting) {
    case MotorSetting::Poles:
    case MotorSetting::MaxRpm:
        return onlyOf(text, kDigits);
    case MotorSetting::ReducerRatio:
        return onlyOf(text, kDecimal) && text.count(QLatin1Char('.')) <= 1 && charactersAfterPoint(text) <= 2;
    case MotorSetting::CurrentLimit:
        // At most 30.0 A.
        return onlyOf(text, kDecimal) && charactersAfterPoint(text) <= 1 && ScaledDecimal(text, 1) <= 300;
    case MotorSetting::AccelTime:
    case MotorSetting::DecelTime:
    case MotorSetting::LockTime:
        // At most 5.0 s.
        return onlyOf(text, kDecimal) && text.count(QLatin1Char('.')) <= 1 && charactersAfterPoint(text) <= 1 &&
               ScaledDecimal(text, 1) <= 50;
    }
    return false;
}

SetDecision DecideSet(MotorSetting setting, const QString& text)
{
    auto send = [](int64_t value) { return SetDecision{SetDecision::Send, QString(), static_cast<uint16_t>(value)}; };
    auto refuse = [](const char* message) { return SetDecision{SetDecision::Refuse, QString::fromLatin1(message), 0}; };
    switch (setting) {
    case MotorSetting::Poles: {
        // A motor has poles: 0, however it is typed, is no setting.
        const int64_t poles = LeadingInteger(text);
        if (text.isEmpty() || poles == 0) return {};
        return send(poles);
    }
    case MotorSetting::CurrentLimit:
        if (text.isEmpty()) return {};
        return send(ScaledDecimal(text, 2));
    case MotorSetting::LockTime:
        if (text.isEmpty()) return {};
        return send(ScaledDecimal(text, 3));
    case MotorSetting::ReducerRatio: {
        const int64_t hundredths = ScaledDecimal(text, 2);
        if (text.isEmpty() || hundredths > 65535) return refuse("Input '0.01 ~ 655.35'");
        return send(hundredths);
    }
    case MotorSetting::AccelTime:
    case MotorSetting::DecelTime: {
        const int64_t ms = ScaledDecimal(text, 3);
        if (text.isEmpty() || (ms > 0 && ms < 500)) return refuse("Input '0' or '0.5 ~ 5.0'");
        return send(ms);
    }
    case MotorSetting::MaxRpm: {
        // The register holds 16 bits: a larger number would reach the driver as another one.
        const int64_t rpm = LeadingInteger(text);
        if (rpm > 65535) return refuse("Input '0 ~ 65535'");
        return send(rpm);
    }
    }
    return {};
}

QString SettingText(MotorSetting setting, uint16_t value)
{
    const int v = value;
    switch (setting) {
    case MotorSetting::Poles:
        return v == 0 ? QStringLiteral("__P") : QString::asprintf("%dP", v);
    case MotorSetting::ReducerRatio:
        return v == 0 ? QStringLiteral("___") : QString::asprintf("1/%d.%02d", v / 100, v % 100);
    case MotorSetting::CurrentLimit:
        return v == 0 ? QStringLiteral("__A") : QString::asprintf("%d.%dA", v / 100, (v / 10) % 10);
    case MotorSetting::MaxRpm:
        return v == 0 ? QStringLiteral("___") : QString::asprintf("%d", v);
    case MotorSetting::AccelTime:
    case MotorSetting::DecelTime:
    case MotorSetting::LockTime:
        return v == 0 ? QStringLiteral("(N/A)") : QString::asprintf("%d.%ds", v / 1000, (v / 100) % 10);
    }
    return {};
}

}  // namespace zentor::settings
