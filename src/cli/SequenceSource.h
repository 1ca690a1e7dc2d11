#pragma once
// The sequences a `sequence` command names, read from the console's configuration file without
// ever writing or creating it: where that file is, and each sequence as the dialog loads it.

#include "CliOptions.h"
#include "ConsoleStores.h"
#include "ListEdits.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zentor::cli {

// The configuration file zentor-cli reads by default: Zentor_CFG.ini beside zentor-cli when it
// is there; otherwise the file of the console installed beside zentor-cli or, in a build tree,
// of that tree's console (../app/zentor), by the console's own rule (the file in its folder when
// it exists or the folder is writable, otherwise the one in userConfigDir). Creates nothing.
struct ConfigLookup {
    QString path;
    bool exists = false;
    QString consoleDir;  // the folder the console's rule was applied to
};
ConfigLookup FindConsoleConfig(const QString& cliDir, const QString& userConfigDir);

struct NamedSequence {
    QString name;         // "speed", "position" or "user"
    QString title;        // "speed preset", "position preset", "user sequence"
    QString section;      // its section in the file
    int controlType = 0;  // a preset's own; the user sequence's from the type word of its SET line
    bool saved = true;    // false: the file holds no user sequence (no SET line)
    LoadedList loaded;    // the list as Load Initial and Load User take it over
};

struct SequenceSource {
    QString configPath;
    bool fileExists = false;        // false: the console has not written the file yet
    bool defaultsLaidOver = false;  // the file is missing or lacks the first-run marker: read as
                                    // the console will after writing its defaults into it
    QStringList warnings;           // what the load left out
    std::vector<NamedSequence> sequences;  // those the command names, in the order speed, position, user
};

struct SequenceSourceResult {
    bool ok = false;
    QString error;  // for stderr, when !ok
    SequenceSource source;
};

// Reads options.configPath (which must exist) or, without it, the file FindConsoleConfig gives.
// For run the one sequence named must be saved, hold items and have a control type, and a
// --type given must be that type.
SequenceSourceResult LoadSequenceSource(const CliOptions& options, const QString& cliDir, const QString& userConfigDir);

// The program file of the console in a folder.
QString ConsoleProgramIn(const QString& dir);

}  // namespace zentor::cli
