#pragma once
// The communication settings as plain logic: the texts of the ID and line labels, and the rule
// of the two ID fields (digits only, at most 254).

#include <QString>
#include <optional>

namespace zentor::settings {

inline constexpr int kHighestId = 254;

// "100 (0x64)".
QString IdText(int id);
// "115200 / 8 / None / 1 / None".
QString ComSettingText(int baud);
// The ID of a typed text, or nothing when the text breaks the rule; an empty text is 0.
std::optional<int> TypedId(const QString& text);
// The echo beside an ID field: "(0x0A)" for 10, "(0x__)" for none.
QString IdEcho(std::optional<int> id);

}  // namespace zentor::settings
