#pragma once
// Files for the configuration tests: the fixtures folder, whole-file reads and writes, and
// whether this process can be kept from writing to a folder by its permissions.

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>

namespace inifiles {

inline QString fixturePath(const QString& name) { return QStringLiteral(ZENTOR_INI_FIXTURES "/") + name; }

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray fixture(const QString& name) { return readBytes(fixturePath(name)); }

// ASCII text as UTF-16 units, little or big endian, without a byte order mark.
inline QByteArray utf16(const QByteArray& ascii, bool bigEndian)
{
    QByteArray out;
    for (char c : ascii) out += bigEndian ? QByteArray(1, '\0') + c : QByteArray(1, c) + '\0';
    return out;
}

// Sets the file's modification time far back, so that any rewrite shows.
inline bool backdate(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) &&
           f.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(12, 0), Qt::UTC), QFileDevice::FileModificationTime);
}

inline QDateTime modified(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.fileTime(QFileDevice::FileModificationTime) : QDateTime();
}

// Makes the folder read-only; false when that does not stop this process (root), with the
// permissions given back.
inline bool makeReadOnly(const QString& dir)
{
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(QDir(dir).filePath(QStringLiteral("probe")));
    if (!probe.open(QIODevice::WriteOnly)) return true;
    probe.close();
    probe.remove();
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return false;
}

}  // namespace inifiles
