#include "InstanceLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#ifdef _WIN32
#include <string>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zentor {

namespace {

// What the holder writes: its process id on the first line, its program name on the second.
constexpr qint64 kHolderTextMax = 256;

QByteArray holderText()
{
#ifdef _WIN32
    const qint64 pid = qint64(GetCurrentProcessId());
#else
    const qint64 pid = qint64(::getpid());
#endif
    return QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8().left(64) + '\n';
}

// Only printable text of a sane length from a file anyone of this user may have scribbled in.
QString cleanName(const QString& raw)
{
    QString out;
    for (QChar c : raw.trimmed().left(64))
        if (c.isPrint()) out += c;
    return out;
}

InstanceLock::Holder parseHolder(const QByteArray& text)
{
    InstanceLock::Holder h;
    const QList<QByteArray> lines = text.split('\n');
    bool ok = false;
    const QByteArray first = lines.value(0).trimmed();
    const qint64 pid = first.toLongLong(&ok);
    // Digits only: "+12", " 12" or "0x1C" is not what a holder writes.
    if (ok && pid > 0 && pid <= 0x7FFFFFFF && first == QByteArray::number(pid)) {
        h.pid = pid;
        h.program = cleanName(QString::fromUtf8(lines.value(1)));
    }
    return h;
}

#ifndef _WIN32

// A folder that is the user's own and closed to everyone else: a real folder (not a link),
// owned by the user, mode 0700.
bool isPrivateFolder(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
}

// Makes the folder with mode 0700 (its parents as the user's umask says) and checks that it is
// the user's: a folder of someone else's, or a link, is never used.
bool makePrivateFolder(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    if ((st.st_mode & 0777) != 0700 && ::chmod(name.constData(), 0700) != 0) return false;
    return isPrivateFolder(path);
}

QString hostPart()
{
    QString host;
    for (QChar c : QSysInfo::machineHostName().left(64))
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('_')) host += c;
    return host.isEmpty() ? QStringLiteral("host") : host;
}

// Opens (or makes) the lock file for reading and writing, never through a link and never a
// file that is not the user's; a file in the way is replaced once. -1 when it cannot be had.
int openLockFile(const QByteArray& path)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd >= 0) {
            struct stat st {};
            if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) return fd;
            ::close(fd);
        } else if (errno == ENOENT || errno == ENOTDIR) {
            return -1;  // no folder to keep it in
        }
        // A link, someone else's file, a file without write permission: the folder is ours.
        if (::unlink(path.constData()) != 0) return -1;
    }
    return -1;
}

InstanceLock::Holder readHolder(int fd)
{
    QByteArray text(kHolderTextMax, '\0');
    const ssize_t n = ::pread(fd, text.data(), size_t(text.size()), 0);
    text.resize(n > 0 ? qsizetype(n) : 0);
    InstanceLock::Holder h = parseHolder(text);
    if (h.pid <= 0) return h;
    // A process id of a process that is gone names nobody (the holder may not have written
    // its own yet over an older one).
    if (::kill(pid_t(h.pid), 0) != 0 && errno == ESRCH) return {};
    QFile comm(QStringLiteral("/proc/%1/comm").arg(h.pid));
    if (comm.open(QIODevice::ReadOnly))
        if (const QString name = cleanName(QString::fromUtf8(comm.read(64))); !name.isEmpty()) h.program = name;
    return h;
}

#else

InstanceLock::Holder readHolder(const std::wstring& path)
{
    InstanceLock::Holder h;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return h;
    QByteArray text(kHolderTextMax, '\0');
    DWORD n = 0;
    if (!ReadFile(file, text.data(), DWORD(text.size()), &n, nullptr)) n = 0;
    CloseHandle(file);
    text.resize(qsizetype(n));
    h = parseHolder(text);
    if (h.pid <= 0) return h;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(h.pid));
    if (!process) {
        // A process id of a process that is gone names nobody.
        if (GetLastError() == ERROR_INVALID_PARAMETER) return {};
        return h;
    }
    wchar_t image[MAX_PATH];
    DWORD size = MAX_PATH;
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE) {
        h = {};
    } else if (QueryFullProcessImageNameW(process, 0, image, &size)) {
        h.program = cleanName(QFileInfo(QString::fromWCharArray(image, int(size))).completeBaseName());
    }
    CloseHandle(process);
    return h;
}

#endif

}  // namespace

InstanceLock::InstanceLock(QString path) : path_(path.isEmpty() ? defaultPath() : std::move(path)) {}

InstanceLock::~InstanceLock() { release(); }

QString InstanceLock::defaultPath()
{
#ifdef _WIN32
    // The user's local application data, one lock per log-on session.
    QString base = qEnvironmentVariable("LOCALAPPDATA");
    if (!QDir::isAbsolutePath(base)) base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!QDir::isAbsolutePath(base)) return QString();
    const QString folder = QDir(base).filePath(QStringLiteral("Zentor"));
    if (!QDir().mkpath(folder)) return QString();
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) session = 0;
    return QDir(folder).filePath(QStringLiteral("zentor-session-%1.lock").arg(session));
#else
    // One console per user: the lock is named by who runs it, never by an environment
    // variable that may be unset or name someone else. The runtime folder is the user's own,
    // on this machine, and emptied at log-out.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return QDir(runtime).filePath(QStringLiteral("zentor.lock"));
    // Else the user's cache folder; a home folder may be shared by several machines, so the
    // name carries this one's.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache)) {
        const QString home = QDir::homePath();
        if (!QDir::isAbsolutePath(home)) return QString();
        cache = QDir(home).filePath(QStringLiteral(".cache"));
    }
    const QString folder = QDir::cleanPath(QDir(cache).filePath(QStringLiteral("zentor")));
    if (!makePrivateFolder(folder)) return QString();
    return QDir(folder).filePath(QStringLiteral("zentor-%1-%2.lock").arg(::geteuid()).arg(hostPart()));
#endif
}

bool InstanceLock::acquire()
{
    holder_ = {};
#ifdef _WIN32
    if (handle_) return true;
    if (path_.isEmpty()) return true;  // nowhere to keep a lock: nothing tells of another console
    const std::wstring path = QDir::toNativeSeparators(path_).toStdWString();
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 2 && file == INVALID_HANDLE_VALUE; ++attempt) {
        // Without write sharing: a second open for writing fails while this handle lives, and
        // the system closes the handle when the process ends, however it ends.
        file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) break;
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
            holder_ = readHolder(path);
            return false;
        }
        // A read-only file in the way is the user's own: make it writable once.
        if (error != ERROR_ACCESS_DENIED || !SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) return true;
    }
    if (file == INVALID_HANDLE_VALUE) return true;
    handle_ = file;
    // The holder's id is for the second start's message only; a failed write costs only that.
    const QByteArray text = holderText();
    DWORD written = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(file))
        WriteFile(file, text.constData(), DWORD(text.size()), &written, nullptr);
    return true;
#else
    if (fd_ >= 0) return true;
    if (path_.isEmpty()) return true;  // nowhere to keep a lock: nothing tells of another console
    const int fd = openLockFile(QFile::encodeName(path_));
    if (fd < 0) return true;
    // flock() belongs to this open file: a second open, in this process or another, is refused
    // while it lives, and the kernel drops it when the process ends, however it ends.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        if (held) holder_ = readHolder(fd);
        ::close(fd);
        // A file system without locks tells nothing of another console.
        return !held;
    }
    fd_ = fd;
    // The holder's id is for the second start's message only; a failed write costs only that.
    const QByteArray text = holderText();
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), size_t(text.size()), 0) != text.size()) {
        // The message of a second start then names no process.
    }
    return true;
#endif
}

void InstanceLock::release()
{
    // The file stays: removing it would let a later start lock a file that an earlier one
    // still had open, while a third made a new one.
#ifdef _WIN32
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
#else
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
#endif
}

QString InstanceLock::holderDescription() const
{
    const QString file = QDir::toNativeSeparators(path_);
    if (holder_.pid > 0 && !holder_.program.isEmpty())
        return QStringLiteral("Process %1 (%2) holds the lock file %3.").arg(holder_.pid).arg(holder_.program, file);
    if (holder_.pid > 0) return QStringLiteral("Process %1 holds the lock file %2.").arg(holder_.pid).arg(file);
    return QStringLiteral("Another process holds the lock file %1; its process id could not be read.").arg(file);
}

}  // namespace zentor
