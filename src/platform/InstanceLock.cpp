#include "InstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace zentor {

InstanceLock::InstanceLock(QString path) : path_(path.isEmpty() ? defaultPath() : std::move(path)) {}

InstanceLock::~InstanceLock() = default;

QString InstanceLock::defaultPath()
{
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME", QStringLiteral("user")));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("zentor-%1.lock").arg(user));
}

bool InstanceLock::acquire()
{
    if (lock_ && lock_->isLocked()) return true;
    lock_ = std::make_unique<QLockFile>(path_);
    // Never stale by age: a console runs for days. A lock whose process no longer runs is
    // recognised by its process id and taken over.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return true;
    return false;
}

}  // namespace zentor
