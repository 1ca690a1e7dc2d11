#include "ConfigFilePath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#endif

namespace zentor {

namespace {

#ifdef Q_OS_WIN
// An installed console: the installer leaves its uninstaller beside zentor.exe, and programs
// are installed under the Program Files folders. Such a folder is shared by every user (and
// writable for an administrator) and no place for one user's settings.
bool IsInstalledProgramFolder(const QString& executableDir)
{
    const QDir dir(executableDir);
    if (QFileInfo::exists(dir.filePath(QStringLiteral("Uninstall.exe")))) return true;
    const QString folder = QDir::cleanPath(dir.absolutePath()) + QLatin1Char('/');
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const QString programs = QDir::fromNativeSeparators(qEnvironmentVariable(variable));
        if (!programs.isEmpty() && folder.startsWith(QDir::cleanPath(programs) + QLatin1Char('/'), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
#else
// An installed console: its program folder is a bin/ with the console's menu entry under
// the share/ beside it. Such a folder is shared (~/.local/bin, /usr/bin even for root) and
// no place for one user's settings, writable or not.
bool IsInstalledProgramFolder(const QString& executableDir)
{
    const QDir dir(executableDir);
    return dir.dirName() == QLatin1String("bin") &&
           QFileInfo::exists(dir.filePath(QStringLiteral("../share/applications/zentor.desktop")));
}
#endif

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
#ifdef Q_OS_WIN
    // The user's roaming application data, %APPDATA%, as Windows programs keep their settings.
    QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    if (!QDir::isAbsolutePath(appData)) {
        PWSTR known = nullptr;
        if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK)
            appData = QDir::fromNativeSeparators(QString::fromWCharArray(known));
        CoTaskMemFree(known);
    }
    if (QDir::isAbsolutePath(appData)) return QDir(appData).filePath(QStringLiteral("Zentor"));
#endif
    // AppConfigLocation would follow the program's name; both programs share one file.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(QStringLiteral("Zentor"));
}

}  // namespace zentor
