#include "StandardOutput.h"

#include <QByteArray>
#include <cerrno>
#include <cstring>

namespace zentor::cli {

bool StandardOutput::writeLine(const QString& line)
{
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

}  // namespace zentor::cli
