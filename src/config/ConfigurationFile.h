#pragma once
// The console's configuration file: the defaults written on the first start, the start-up
// load into the console's stores, and the rewrite of the saved user sequence.

#include "ConsoleStores.h"
#include "IniEdit.h"
#include "IniProfile.h"

#include <QString>
#include <QStringList>

namespace zentor {

namespace config {
inline constexpr char kAppSection[] = "Zentor";
inline constexpr char kMarkerKey[] = "Config_INI";
inline constexpr char kComPortSection[] = "COMPORT";
inline constexpr char kBaudRateKey[] = "Baudrate";
inline constexpr char kControlSection[] = "CONTROL";
inline constexpr char kSpeedModelsKey[] = "Speed Control";
inline constexpr char kPositionModelsKey[] = "Position Control";
inline constexpr char kSpeedPresetSection[] = "SEQ_TEST_PRE_SPEED";
inline constexpr char kPositionPresetSection[] = "SEQ_TEST_PRE_POSITION";
inline constexpr char kUserSequenceSection[] = "SEQ_TEST_USR";
inline constexpr char kHeaderKey[] = "SET";
// The expectations of the user sequence, in a section of their own that only this console
// reads: keys "1".."n" by item, and "FOR" naming the user sequence they were saved with.
inline constexpr char kUserChecksSection[] = "SEQ_TEST_USR_CHECK";
inline constexpr char kChecksForKey[] = "FOR";
}  // namespace config

// The 23 first-run writes, in the order the first start makes them, as one edit.
IniEdit SeedingEdit();

struct ConfigLoadResult {
    bool seeded = false;           // the first-run marker was missing, so the defaults were written
                                   // (ReadConfiguration: laid over the file's content in memory)
    bool seedWriteFailed = false;  // ... and they could not be saved; seedError says why
    QString seedError;
    bool tooLarge = false;         // the file is larger than 1 MiB: not read, never written; the
                                   // stores hold the defaults
    int modelLinesDropped = 0;     // model list lines beyond the 100 the list holds
    int speedPresetItemsDropped = 0;     // stored items beyond the 39 a sequence holds
    int positionPresetItemsDropped = 0;
    int userItemsDropped = 0;
    bool userChecksDropped = false;  // the expectations belong to another user sequence
    QStringList warnings;          // one sentence for the operator per thing above
};

// Seeds the file when its marker is not "true" and fills the stores from it; a file too large to
// be a configuration file is left alone and the stores get the defaults. The stores are
// expected cleared (ConsoleStores::clear); a user sequence with an empty "SET" leaves the user
// store as it is. When the defaults cannot be saved, the stores are still filled with them.
ConfigLoadResult LoadConfiguration(IniProfile& profile, ConsoleStores& stores);

// The stores LoadConfiguration would fill from this file, without writing to it or creating it:
// a file without the first-run marker (or none at all) is read with the defaults laid over it in
// memory, as the console will see it after seeding it at its next start.
ConfigLoadResult ReadConfiguration(const IniProfile& profile, ConsoleStores& stores);

// The number of item lines a "SET" line announces: the integer reading of its second
// comma-separated field; 0 when it has none or it is negative.
int SequenceItemCount(const QString& headerLine);

// Rewrites section "SEQ_TEST_USR" in one save: the section goes, then "SET" from line 0 and
// keys "1".."n" from lines 1..n (n limited to 0..39). With checks, section "SEQ_TEST_USR_CHECK"
// is rewritten in the same save (and left out when no item has any). False when the file could
// not be written; profile.error() says why and the file keeps its old user sequence.
bool SaveUserSequence(IniProfile& profile, const SequenceText& user, int n, const SequenceText* checks = nullptr);

// What ties the expectations to the user sequence they were saved with: a console that knows
// nothing of them may rewrite the user sequence and leave them behind.
QString UserSequenceFingerprint(const SequenceText& user, int n);

}  // namespace zentor
