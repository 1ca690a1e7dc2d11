#include "RecordFile.h"

#include <QDir>

#include <csignal>

namespace zentor::record {

bool RecordFile::open(const QString& path)
{
#ifdef SIGXFSZ
    // A file-size limit is a failed write like a full disk, not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    close();
    path_ = path;
    error_.clear();
    whole_ = 0;
    records_ = 0;
    file_.setFileName(path);
    // Unbuffered: every record reaches the system as it is appended, none waits in a buffer of
    // ours for a crash to lose it.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error_ = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file_.errorString());
        return false;
    }
    return true;
}

bool RecordFile::append(const QByteArray& record)
{
    if (!file_.isOpen()) return false;
    qint64 done = 0;
    while (done < record.size()) {
        // A short write is followed by another, which fails with the system's reason (a full
        // disk, a file-size limit, a device that is gone).
        const qint64 n = file_.write(record.constData() + done, record.size() - done);
        if (n <= 0) {
            const QString reason = file_.errorString();
            fail(reason.isEmpty() ? QStringLiteral("the record could not be written") : reason);
            return false;
        }
        done += n;
    }
    if (!file_.flush()) {
        fail(file_.errorString());
        return false;
    }
    whole_ += record.size();
    ++records_;
    return true;
}

void RecordFile::fail(const QString& reason)
{
    error_ = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path_), reason);
    // What went out of the failed record is cut off; a device without a size (such as
    // /dev/full) has nothing to cut.
    if (file_.size() > whole_ && !file_.resize(whole_))
        error_ += QStringLiteral(" (and the part of the last row could not be cut off: %1)").arg(file_.errorString());
    file_.close();
}

void RecordFile::close()
{
    if (file_.isOpen()) file_.close();
}

}  // namespace zentor::record
