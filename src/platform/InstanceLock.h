#pragma once
// Tells a second process of the console that one already runs. The lock belongs to the
// running process: when it ends, however it ends, the next start is free.

#include <QString>
#include <memory>

class QLockFile;

namespace zentor {

class InstanceLock {
public:
    // path: the lock file; by default one per user in the temporary folder.
    explicit InstanceLock(QString path = QString());
    ~InstanceLock();
    // False when another running process holds the lock; true when this one now holds it,
    // or when no lock file can be made there at all.
    bool acquire();
    static QString defaultPath();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace zentor
