#pragma once
// Writes a file whole or not at all: the bytes go to a temporary file beside it, which then
// replaces the old one. Unbuffered, so that a short write (a full disk) is seen and never
// taken for a complete file.

#include <QByteArray>
#include <QString>

namespace zentor {

// False when the file could not be written; *reason (if given) then holds the system's words
// and the old file, if any, is as it was.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

}  // namespace zentor
