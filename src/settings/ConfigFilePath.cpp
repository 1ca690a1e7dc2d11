#include "ConfigFilePath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zentor {

QString ConfigFilePath(const QString& executableDir, const QString& fallbackDir)
{
    const QString name = QString::fromLatin1(kConfigFileName);
    const QString beside = QDir(executableDir).filePath(name);
    const QFileInfo dir(executableDir);
    if (QFileInfo::exists(beside) || (dir.isDir() && dir.isWritable())) return QDir::cleanPath(beside);
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
