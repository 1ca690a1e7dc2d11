#include "OpenFailureAdvice.h"

namespace zentor {

QString ExplainOpenFailure(const OpenFailure& failure, const QString& port, int baud)
{
    const QString said = failure.system.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(failure.system);
    switch (failure.kind) {
    case OpenFailure::NotFound:
        return QStringLiteral("%1 is not there%2. Check that the adapter is plugged in and the name or path is right.")
            .arg(port, said);
    case OpenFailure::PermissionDenied:
#ifdef Q_OS_UNIX
        return QStringLiteral("You may not use %1%2. Serial ports belong to a group, usually \"dialout\": "
                              "add yourself to it (sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(port, said);
#else
        return QStringLiteral("You may not use %1%2. Ask the administrator of this computer for access to it.").arg(port, said);
#endif
    case OpenFailure::Busy:
        return QStringLiteral("%1 is in use by another program%2. Close that program (a terminal, another console) "
                              "and open the port again.")
            .arg(port, said);
    case OpenFailure::BaudRateRefused:
        return QStringLiteral("%1 does not take the baud rate %2%3. Choose another rate (COM Config. in the console, --baud for zentor-cli).")
            .arg(port)
            .arg(baud)
            .arg(said);
    case OpenFailure::Other:
    case OpenFailure::None:
        break;
    }
    return failure.system.isEmpty() ? QStringLiteral("%1 could not be opened.").arg(port)
                                    : QStringLiteral("%1 could not be opened: %2.").arg(port, failure.system);
}

}  // namespace zentor
