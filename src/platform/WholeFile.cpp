#include "WholeFile.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <io.h>
#include <windows.h>
#else
#include <QSaveFile>
#endif

namespace zentor {

#ifdef Q_OS_WIN

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason)
{
    // A rename does not replace an existing file on Windows: the written file takes the old
    // one's place by MoveFileExW, which replaces it in one step, and only once its bytes are
    // on the disk.
    const QFileInfo target(path);
    QTemporaryFile out(target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX")));
    auto fail = [&](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    if (!out.open()) return fail(out.errorString());
    out.close();
    QFile file(out.fileName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    for (qint64 done = 0; done < bytes.size();) {
        // After a short write the next one fails and tells the system's reason.
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return fail(file.errorString());
        done += n;
    }
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))))
        return fail(qt_error_string(static_cast<int>(GetLastError())));
    file.close();
    const std::wstring from = QDir::toNativeSeparators(out.fileName()).toStdWString();
    const std::wstring to = QDir::toNativeSeparators(target.absoluteFilePath()).toStdWString();
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(qt_error_string(static_cast<int>(GetLastError())));
    out.setAutoRemove(false);
    return true;
}

#else

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

#endif

}  // namespace zentor
