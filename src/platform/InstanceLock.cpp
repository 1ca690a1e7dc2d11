#include "InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace zentor {

InstanceLock::InstanceLock(QString path) : path_(path.isEmpty() ? defaultPath() : std::move(path)) {}

InstanceLock::~InstanceLock() = default;

QString InstanceLock::defaultPath()
{
    // One console per user: the lock is named by who runs it, never by an environment
    // variable that may be unset or shared.
#ifdef Q_OS_UNIX
    const QString user = QString::number(::getuid());
    // The user's runtime folder is the user's own and emptied at log-out.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return QDir(runtime).filePath(QStringLiteral("zentor.lock"));
#else
    const QString user = qEnvironmentVariable("USERNAME", QStringLiteral("user"));
#endif
    // A temporary folder that does not exist would put the lock beside whatever folder the
    // console was started from.
    QString folder = QDir::tempPath();
    if (!QDir::isAbsolutePath(folder) || !QFileInfo(folder).isDir()) folder = QDir::rootPath() + QStringLiteral("tmp");
    return QDir(folder).filePath(QStringLiteral("zentor-%1.lock").arg(user));
}

bool InstanceLock::acquire()
{
    if (lock_ && lock_->isLocked()) return true;
    lock_ = std::make_unique<QLockFile>(path_);
    // Never stale by age: a console runs for days. A lock whose process no longer runs is
    // recognised by its process id and taken over.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return true;
    // Only a lock held by a running console means one runs; a lock file that cannot be
    // written at all says nothing of other consoles, and must not keep this one from starting.
    return lock_->error() != QLockFile::LockFailedError;
}

}  // namespace zentor
