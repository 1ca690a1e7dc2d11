#include "ModelListLines.h"

namespace zentor::settings {

QStringList ModelListLines(std::span<const QString> modelList)
{
    QStringList lines;
    for (size_t i = 0; i < modelList.size(); ++i) {
        lines << modelList[i];
        if (i + 1 < modelList.size() && modelList[i + 1].isEmpty()) break;
    }
    return lines;
}

}  // namespace zentor::settings
