#pragma once
// Where the console keeps Zentor_CFG.ini: beside the executable when it can live there,
// otherwise in the user's configuration folder.

#include <QString>

namespace zentor {

inline constexpr char kConfigFileName[] = "Zentor_CFG.ini";

// "<executableDir>/Zentor_CFG.ini" when the file already exists there, or that folder is
// writable and not the bin/ of an installed console (on Windows: not a folder with the
// installer's Uninstall.exe, nor one under the Program Files folders); otherwise "<fallbackDir>/Zentor_CFG.ini",
// with fallbackDir created when missing.
QString ConfigFilePath(const QString& executableDir, const QString& fallbackDir);

// The same with the user's configuration folder for the console as the fallback: the
// "Zentor" folder in the system's configuration location (~/.config/Zentor on Linux,
// %APPDATA%\Zentor on Windows), the
// same for the console and zentor-cli whatever the program's own name.
QString ConfigFilePath(const QString& executableDir);

// The user's configuration folder named above.
QString UserConfigDir();

// The path ConfigFilePath gives, found without creating anything, for a program that only
// reads the console's file; exists tells whether the file is there yet.
struct ConfigFileLocation {
    QString path;
    bool exists = false;
};
ConfigFileLocation PeekConfigFilePath(const QString& executableDir, const QString& fallbackDir);

}  // namespace zentor
