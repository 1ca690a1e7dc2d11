#include "SimLog.h"

namespace zentor::sim {

QByteArray FormatSimLogLine(int64_t elapsedNs, LogDirection direction, const QByteArray& bytes, const QString& text)
{
    const int64_t us = elapsedNs < 0 ? 0 : elapsedNs / 1000;
    QByteArray line = QByteArray::number(us / 1000) + '.' + QByteArray::number(us % 1000).rightJustified(3, '0');
    line += direction == LogDirection::Request ? " rx " : " tx ";
    line += bytes.toHex(' ').toUpper();
    line += "  ";
    line += text.toUtf8();
    return line;
}

}  // namespace zentor::sim
