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

ConfigFileLocation PeekConfigFilePath(const QString& executableDir, const QString& fallbackDir)
{
    const QString name = QString::fromLatin1(kConfigFileName);
    const QString beside = QDir::cleanPath(QDir(executableDir).filePath(name));
    const QFileInfo dir(executableDir);
    if (QFileInfo::exists(beside)) return {beside, true};
    if (dir.isDir() && dir.isWritable() && !IsInstalledProgramFolder(executableDir)) return {beside, false};
    const QString fallback = QDir::cleanPath(QDir(fallbackDir).filePath(name));
    return {fallback, QFileInfo::exists(fallback)};
}

QString ConfigFilePath(const QString& executableDir, const QString& fallbackDir)
{
    const ConfigFileLocation location = PeekConfigFilePath(executableDir, fallbackDir);
    // A folder that cannot be made shows up later, as the reason of the first failed write.
    if (!location.exists) QDir().mkpath(QFileInfo(location.path).path());
    return location.path;
}

QString ConfigFilePath(const QString& executableDir) { return ConfigFilePath(executableDir, UserConfigDir()); }

QString UserConfigDir()
{
    // AppConfigLocation would follow the program's name; both programs share one file.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("Zentor"));
}

}  // namespace zentor
