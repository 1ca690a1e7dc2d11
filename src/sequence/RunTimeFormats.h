#pragma once
// The run's time and count texts: "%02d:%02d:%02d.%d" of tenths of a second or of
// milliseconds, and the placeholders shown when there is no list.

#include <QString>
#include <cstdint>

namespace zentor {

inline const QString kNoTime = QStringLiteral("--:--:--.-");
inline const QString kNoCount = QStringLiteral("---");

// Hours, minutes, seconds and tenths of a value in tenths of a second. A negative value (a run
// that took longer than its items' times) shows as "00:00:00.0".
QString FormatTenths(int64_t tenths);
// The same from milliseconds; the tenths digit is truncated.
QString FormatMilliseconds(int64_t ms);

}  // namespace zentor
