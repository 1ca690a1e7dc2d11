#include "ConfigFilePath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zentor {

namespace {

// An installed console: its program folder is a bin/ with the console's menu entry under
// the share/ beside it. Such a folder is shared (~/.local/bin, /usr/bin even for root) and
// no place for one user's settings, writable or not.
bool IsInstalledProgramFolder(const QString& executableDir)
{
    const QDir dir(executableDir);
    return dir.dirName() == QLatin1String("bin") &&
           QFileInfo::exists(dir.filePath(QStringLiteral("../share/applications/zentor.desktop")));
}

}  // namespace

QString ConfigFilePath(const QString& executableDir, const QString& fallbackDir)
{
    const QString name = QString::fromLatin1(kConfigFileName);
    const QString beside = QDir(executableDir).filePath(name);
    const QFileInfo dir(executableDir);
    if (QFileInfo::exists(beside)) return QDir::cleanPath(beside);
    if (dir.isDir() && dir.isWritable() && !IsInstalledProgramFolder(executableDir)) return QDir::cleanPath(beside);
    // A folder that cannot be made shows up later, as the reason of the first failed write.
    QDir().mkpath(fallbackDir);
    return QDir::cleanPath(QDir(fallbackDir).filePath(name));
}

QString ConfigFilePath(const QString& executableDir) { return ConfigFilePath(executableDir, UserConfigDir()); }

QString UserConfigDir()
{
    // AppConfigLocation would follow the program's name; both programs share one file.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("Zentor"));
}

}  // namespace zentor
