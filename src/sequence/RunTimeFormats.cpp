#include "RunTimeFormats.h"

namespace zentor {

QString FormatTenths(int64_t e)
{
    if (e < 0) e = 0;
    return QString::asprintf("%02lld:%02lld:%02lld.%lld", static_cast<long long>(e / 36000),
                             static_cast<long long>(e % 36000 / 600), static_cast<long long>(e % 600 / 10),
                             static_cast<long long>(e % 10));
}

QString FormatMilliseconds(int64_t ms) { return FormatTenths(ms < 0 ? 0 : ms / 100); }

}  // namespace zentor
