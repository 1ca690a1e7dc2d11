#include "ConfigFilePath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zentor {

ConfigFileLocation PeekConfigFilePath(const QString& executableDir, const QString& fallbackDir)
{
    const QString name = QString::fromLatin1(kConfigFileName);
    const QString beside = QDir::cleanPath(QDir(executableDir).filePath(name));
    const QFileInfo dir(executableDir);
    const bool besideExists = QFileInfo::exists(beside);
    if (besideExists || (dir.isDir() && dir.isWritable())) return {beside, besideExists};
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
