#include "WholeFile.h"

#include <QSaveFile>

namespace zentor {

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason)
{
    QSaveFile out(path);
    auto fail = [&] {
        if (reason) *reason = out.errorString();
        out.cancelWriting();
        return false;
    };
    // A buffered save file can take a cut-off text for a complete one.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail();
    for (qint64 done = 0; done < bytes.size();) {
        // After a short write the next one fails and tells the system's reason.
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return fail();
        done += n;
    }
    if (!out.commit()) return fail();
    return true;
}

}  // namespace zentor
