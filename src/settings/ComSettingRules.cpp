#include "ComSettingRules.h"

#include "TextNumbers.h"

namespace zentor::settings {

QString IdText(int id) { return QString::asprintf("%d (0x%02X)", id, static_cast<unsigned>(id)); }

QString ComSettingText(int baud) { return QString::asprintf("%d / 8 / None / 1 / None", baud); }

std::optional<int> TypedId(const QString& text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    const int64_t id = LeadingInteger(text);
    if (id > kHighestId) return std::nullopt;
    return int(id);
}

QString IdEcho(std::optional<int> id)
{
    return id ? QString::asprintf("(0x%02X)", static_cast<unsigned>(*id)) : QStringLiteral("(0x__)");
}

}  // namespace zentor::settings
