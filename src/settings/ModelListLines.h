#pragma once
// Which lines of the model list the model list panel shows: from line 0 on, up to the first
// empty line (line 0 always; a line holding a blank is not empty).

#include <QString>
#include <QStringList>
#include <span>

namespace zentor::settings {

QStringList ModelListLines(std::span<const QString> modelList);

}  // namespace zentor::settings
