#pragma once
// Tells a second process of the console that one already runs. The lock belongs to the
// running process: the system lets go of it when the process ends, however it ends, so a lock
// file left behind (empty, garbled, from another machine, from a process long gone) never
// keeps the next console from starting.
//
// POSIX: an flock() on a file in a folder only the user can write: the user's runtime folder
// ($XDG_RUNTIME_DIR, when it is a real folder of the user's with mode 0700), else "zentor" in
// the user's cache folder ($XDG_CACHE_HOME, else ~/.cache), made 0700. Windows: a file in
// %LOCALAPPDATA%\Zentor, one per log-on session, held open without write sharing.
// The holder writes its process id and program name into the file, for the second start's
// message.

#include <QString>
#include <cstdint>

namespace zentor {

class InstanceLock {
public:
    // Who holds the lock, as far as the file and the system tell.
    struct Holder {
        int64_t pid = 0;  // 0: not known
        QString program;  // empty: not known
    };

    // path: the lock file; by default defaultPath().
    explicit InstanceLock(QString path = QString());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process holds the lock (holder() then says who); true when this one
    // now holds it, or when no lock can be made there at all (nothing then tells of another
    // console, so none keeps this one from starting).
    bool acquire();
    const Holder& holder() const { return holder_; }
    // One sentence for the operator after a refused acquire: which process holds which file.
    QString holderDescription() const;
    const QString& path() const { return path_; }

    // The lock file of this user, with its folder made when needed; empty when no folder
    // that only the user can write can be found or made.
    static QString defaultPath();

private:
    void release();

    QString path_;
    Holder holder_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace zentor
