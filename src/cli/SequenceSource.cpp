#include "SequenceSource.h"

#include "ConfigFilePath.h"
#include "ConfigurationFile.h"
#include "SequenceForms.h"

#include <QDir>
#include <QFileInfo>

namespace zentor::cli {

namespace {

struct Kind {
    const char* name;
    const char* title;
    const char* section;
};

constexpr Kind kKinds[] = {
    {"speed", "speed preset", config::kSpeedPresetSection},
    {"position", "position preset", config::kPositionPresetSection},
    {"user", "user sequence", config::kUserSequenceSection},
};

const SequenceText& storeOf(const ConsoleStores& stores, const QString& name)
{
    if (name == QLatin1String("speed")) return stores.speedPreset;
    if (name == QLatin1String("position")) return stores.positionPreset;
    return stores.userSequence;
}

SequenceSourceResult failure(const QString& error)
{
    SequenceSourceResult r;
    r.error = error;
    return r;
}

QString typeName(int controlType) { return controlType == PositionControl ? QStringLiteral("position") : QStringLiteral("speed"); }

}  // namespace

QString ConsoleProgramIn(const QString& dir)
{
#ifdef Q_OS_WIN
    return QDir(dir).filePath(QStringLiteral("zentor.exe"));
#else
    return QDir(dir).filePath(QStringLiteral("zentor"));
#endif
}

ConfigLookup FindConsoleConfig(const QString& cliDir, const QString& userConfigDir)
{
    // A file beside zentor-cli is the console's when both are installed together, and was put
    // there on purpose anywhere else.
    const QString beside = QDir::cleanPath(QDir(cliDir).filePath(QString::fromLatin1(kConfigFileName)));
    if (QFileInfo::exists(beside)) return {beside, true, cliDir};
    // Installed, the two programs share a folder; in a build tree the console sits in src/app
    // beside src/cli. Without a console anywhere, zentor-cli's folder stands for it.
    QString consoleDir = cliDir;
    const QString buildTreeConsole = QDir::cleanPath(QDir(cliDir).filePath(QStringLiteral("../app")));
    if (!QFileInfo(ConsoleProgramIn(cliDir)).isFile() && QFileInfo(ConsoleProgramIn(buildTreeConsole)).isFile())
        consoleDir = buildTreeConsole;
    const ConfigFileLocation location = PeekConfigFilePath(consoleDir, userConfigDir);
    return {location.path, location.exists, consoleDir};
}

SequenceSourceResult LoadSequenceSource(const CliOptions& options, const QString& cliDir, const QString& userConfigDir)
{
    SequenceSource s;
    if (!options.configPath.isNull()) {
        s.configPath = QFileInfo(options.configPath).absoluteFilePath();
        // A file named on purpose that is not there is a mistake, not a first start.
        const QFileInfo named(s.configPath);
        if (named.isDir()) return failure(QStringLiteral("configuration file %1 is a folder, not a file").arg(s.configPath));
        if (!named.exists()) return failure(QStringLiteral("configuration file %1 does not exist").arg(s.configPath));
        if (!named.isFile()) return failure(QStringLiteral("configuration file %1 is not a file").arg(s.configPath));
        s.fileExists = true;
    } else {
        const ConfigLookup lookup = FindConsoleConfig(cliDir, userConfigDir);
        s.configPath = lookup.path;
        s.fileExists = lookup.exists;
    }
    // The load takes an unreadable file for an empty one; here that would list the defaults
    // as if they were the file's.
    if (s.fileExists && !QFileInfo(s.configPath).isReadable())
        return failure(QStringLiteral("cannot read configuration file %1").arg(s.configPath));

    ConsoleStores stores;
    stores.clear();
    const ConfigLoadResult loaded = ReadConfiguration(IniProfile(s.configPath), stores);
    s.defaultsLaidOver = loaded.seeded;
    s.warnings = loaded.warnings;

    for (const Kind& kind : kKinds) {
        const QString name = QString::fromLatin1(kind.name);
        if (!options.sequence.isEmpty() && options.sequence != name) continue;
        NamedSequence n;
        n.name = name;
        n.title = QString::fromLatin1(kind.title);
        n.section = QString::fromLatin1(kind.section);
        const SequenceText& store = storeOf(stores, name);
        // Only the user sequence carries expectations.
        n.loaded = name == QLatin1String("user") ? CopyStore(store, stores.userChecks) : CopyStore(store);
        if (name == QLatin1String("speed")) {
            n.controlType = SpeedControl;
        } else if (name == QLatin1String("position")) {
            n.controlType = PositionControl;
        } else {
            // Load User takes the control type from the type word, the text after the last comma.
            n.saved = !store[0].isEmpty();
            n.controlType = ControlTypeOfWord(ParseHeader(store[0]).typeWord);
        }
        s.sequences.push_back(std::move(n));
    }

    if (options.command == Command::SequenceRun) {
        const NamedSequence& n = s.sequences.front();
        if (!n.saved) return failure(QStringLiteral("%1 holds no user sequence (no SET in [%2])").arg(s.configPath, n.section));
        if (n.loaded.list.itemCount == 0) return failure(QStringLiteral("the %1 in %2 holds no items").arg(n.title, s.configPath));
        if (n.controlType == NoControl)
            return failure(QStringLiteral("the user sequence in %1 has no control type: its SET line \"%2\" must end in Speed or Position")
                               .arg(s.configPath, n.loaded.list.lines[0]));
        if (options.typeGiven && options.type != n.controlType)
            return failure(QStringLiteral("--type %1 contradicts the %2, a sequence of %3 control")
                               .arg(typeName(options.type), n.title, typeName(n.controlType)));
    }

    SequenceSourceResult r;
    r.ok = true;
    r.source = std::move(s);
    return r;
}

}  // namespace zentor::cli
