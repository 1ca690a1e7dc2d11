#include "WholeFile.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
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
    auto fail = [&](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    // A fresh file beside the target, never one that is there already.
    QFile file;
    for (int attempt = 0;; ++attempt) {
        file.setFileName(target.absoluteFilePath()
                         + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) break;
        if (!file.exists() || attempt == 8) return fail(file.errorString());
    }
    auto removeLeftover = qScopeGuard([&] {
        file.close();
        file.remove();
    });
    for (qint64 done = 0; done < bytes.size();) {
        // After a short write the next one fails and tells the system's reason.
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return fail(file.errorString());
        done += n;
    }
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))))
        return fail(qt_error_string(static_cast<int>(GetLastError())));
    file.close();
    const std::wstring from = QDir::toNativeSeparators(file.fileName()).toStdWString();
    const std::wstring to = QDir::toNativeSeparators(target.absoluteFilePath()).toStdWString();
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(qt_error_string(static_cast<int>(GetLastError())));
    removeLeftover.dismiss();
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
