#include "StandardOutput.h"

#include <QByteArray>
#include <cerrno>
#include <cstring>

namespace zentor {

bool StandardOutput::writeLine(const QString& line)
{
    // A status line is plain ASCII, the same bytes in every encoding: copied as it is, many
    // times a second, without a conversion of its own.
    char ascii[512];
    const qsizetype size = line.size();
    if (size < qsizetype(sizeof ascii)) {
        const QChar* chars = line.constData();
        qsizetype i = 0;
        for (; i < size && chars[i].unicode() < 0x80; ++i) ascii[i] = static_cast<char>(chars[i].unicode());
        if (i == size) {
            ascii[size] = '\n';
            return put(ascii, static_cast<size_t>(size) + 1);
        }
    }
    const QByteArray text = line.toLocal8Bit() + '\n';
    return put(text.constData(), static_cast<size_t>(text.size()));
}

bool StandardOutput::write(const char* text) { return put(text, std::strlen(text)); }

bool StandardOutput::put(const char* data, size_t size)
{
    if (failed_) return false;
    errno = 0;
    // A full buffer is handed over inside fwrite: that write can fail as well as a flush.
    if (std::fwrite(data, 1, size, stream_) != size) return fail();
    return true;
}

bool StandardOutput::flush()
{
    if (failed_) return false;
    errno = 0;
    if (std::fflush(stream_) != 0) return fail();
    return true;
}

bool StandardOutput::fail()
{
    const int error = errno;
    failed_ = true;
    error_ = error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("write error");
    if (onFailed) onFailed(error_);
    return false;
}

}  // namespace zentor
