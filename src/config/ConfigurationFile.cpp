#include "ConfigurationFile.h"

#include "TextNumbers.h"

#include <QCryptographicHash>
#include <QDir>

#include <algorithm>
#include <limits>

namespace zentor {

using namespace config;

namespace {

const QString kModelRule = QStringLiteral("    ----------------------");
const QString kModelIndent = QStringLiteral("    ");

QString name(const char* text) { return QString::fromLatin1(text); }

// Fills line 0 and lines 1..n of a sequence store; returns how many items the file holds
// beyond the 39 a store can take (keys 40..n that exist), which are left out.
int loadSequence(const IniDocument& doc, const char* sectionName, SequenceText& store, bool onlyWithHeader)
{
    const QString section = name(sectionName);
    const QString header = doc.read(section, name(kHeaderKey));
    if (onlyWithHeader && header.isEmpty()) return 0;
    store[0] = header;
    const int n = SequenceItemCount(header);
    for (int i = 1; i <= std::min(n, kSequenceMaxItems); ++i) store[i] = doc.read(section, QString::number(i));
    int dropped = 0;
    if (n > kSequenceMaxItems) {
        for (const QString& key : doc.keys(section)) {
            bool ok = false;
            const qlonglong number = key.toLongLong(&ok);
            if (ok && key == QString::number(number) && number > kSequenceMaxItems && number <= n) ++dropped;
        }
    }
    return dropped;
}

void warnDroppedItems(ConfigLoadResult& r, int dropped, const QString& what)
{
    if (dropped > 0)
        r.warnings << QStringLiteral("The %1 in the configuration file has %2 items beyond the %3 a sequence holds; "
                                     "they were left out.")
                          .arg(what)
                          .arg(dropped)
                          .arg(kSequenceMaxItems);
}

}  // namespace

IniEdit SeedingEdit()
{
    IniEdit e;
    e.set(name(kAppSection), name(kMarkerKey), QStringLiteral("true"));
    e.set(name(kComPortSection), name(kBaudRateKey), QStringLiteral("115200"));
    e.set(name(kControlSection), name(kSpeedModelsKey),
          QStringLiteral("Model S1 / Model S2,Model S3 / Model S4,Model S5,----------------------,Model S6 / Model "
                         "S7,Model S8 / Model S9,Model S10"));
    e.set(name(kControlSection), name(kPositionModelsKey),
          QStringLiteral("Model P1 / Model P2,Model P3 / Model P4,Model P5,----------------------,Model P6 / Model "
                         "P7,Model P8,Model P9 / Model P10"));
    const QString speed = name(kSpeedPresetSection);
    e.set(speed, name(kHeaderKey), QStringLiteral("1,7,1,Speed"));
    e.set(speed, QStringLiteral("1"), QStringLiteral("ENABLE-RUN,-,0.5,1"));
    e.set(speed, QStringLiteral("2"), QStringLiteral("BRAKE-OFF,-,0.5,1"));
    e.set(speed, QStringLiteral("3"), QStringLiteral("DIR-CW,-,0.5,1"));
    e.set(speed, QStringLiteral("4"), QStringLiteral("SPEED-INPUT,1800,3,1"));
    e.set(speed, QStringLiteral("5"), QStringLiteral("DIR-CCW,-,0.5,1"));
    e.set(speed, QStringLiteral("6"), QStringLiteral("SPEED-INPUT,900,3,1"));
    e.set(speed, QStringLiteral("7"), QStringLiteral("SPEED-INPUT,0,2,1"));
    const QString position = name(kPositionPresetSection);
    e.set(position, name(kHeaderKey), QStringLiteral("1,10,1,Position"));
    e.set(position, QStringLiteral("1"), QStringLiteral("BRAKE-ON,-,0.5,1"));
    e.set(position, QStringLiteral("2"), QStringLiteral("POSITION-INPUT,100,0.5,1"));
    e.set(position, QStringLiteral("3"), QStringLiteral("RESET-LOW,-,0.5,1"));
    e.set(position, QStringLiteral("4"), QStringLiteral("POSITION-INPUT,0,0.5,1"));
    e.set(position, QStringLiteral("5"), QStringLiteral("SPEED-INPUT,1000,0.5,1"));
    e.set(position, QStringLiteral("6"), QStringLiteral("POSITION-INPUT,800,0.5,1"));
    e.set(position, QStringLiteral("7"), QStringLiteral("BRAKE-OFF,-,4,1"));
    e.set(position, QStringLiteral("8"), QStringLiteral("SPEED-INPUT,2000,0.5,1"));
    e.set(position, QStringLiteral("9"), QStringLiteral("POSITION-INPUT,0,3,1"));
    e.set(position, QStringLiteral("10"), QStringLiteral("BRAKE-ON,-,0.5,1"));
    return e;
}

int SequenceItemCount(const QString& headerLine)
{
    // A "SET" line without a second field ("7", "") announces no items.
    const QStringList fields = headerLine.split(QLatin1Char(','));
    if (fields.size() < 2) return 0;
    const int64_t count = LeadingInteger(fields[1]);
    return int(std::clamp<int64_t>(count, 0, std::numeric_limits<int>::max()));
}

namespace {

// The defaults in memory in place of a file that is not a configuration file at all.
bool setAsideTooLarge(const IniProfile& profile, IniProfile::FileState state, IniDocument& doc, ConfigLoadResult& r)
{
    if (state != IniProfile::FileState::TooLarge) return false;
    r.tooLarge = true;
    r.warnings << QStringLiteral("The configuration file %1 is larger than 1 MiB, so it is not a configuration file: "
                                 "it was not read and will not be changed. The console runs on its default settings.")
                      .arg(QDir::toNativeSeparators(profile.path()));
    doc = IniDocument();
    doc.apply(SeedingEdit());
    return true;
}

bool hasMarker(const IniDocument& doc)
{
    return doc.read(name(kAppSection), name(kMarkerKey), QStringLiteral("Check")) == QLatin1String("true");
}

// The start-up load proper, from the file's content with the defaults already laid over it.
void fillStores(const IniDocument& doc, ConsoleStores& stores, ConfigLoadResult& r)
{
    const int64_t baud = LeadingInteger(doc.read(name(kComPortSection), name(kBaudRateKey)));
    stores.baudRate = int(std::clamp<int64_t>(baud, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));

    int used = 0;
    int needed = 0;
    auto add = [&](const QString& line) {
        if (used < kModelListLines) stores.modelList[used++] = line;
        ++needed;
    };
    auto addModels = [&](const QString& list) {
        for (const QString& piece : list.split(QLatin1Char(','))) add(kModelIndent + piece);
    };
    add(QStringLiteral("[Speed Control]"));
    add(kModelRule);
    if (const QString speed = doc.read(name(kControlSection), name(kSpeedModelsKey)); !speed.isEmpty()) {
        addModels(speed);
        add(QStringLiteral(" "));
    }
    add(QStringLiteral("[Position Control]"));
    add(kModelRule);
    if (const QString position = doc.read(name(kControlSection), name(kPositionModelsKey)); !position.isEmpty())
        addModels(position);
    r.modelLinesDropped = needed - used;
    if (r.modelLinesDropped > 0)
        r.warnings << QStringLiteral("The model lists in the configuration file need %1 lines; only the first %2 are "
                                     "shown.")
                          .arg(needed)
                          .arg(kModelListLines);

    r.speedPresetItemsDropped = loadSequence(doc, kSpeedPresetSection, stores.speedPreset, false);
    r.positionPresetItemsDropped = loadSequence(doc, kPositionPresetSection, stores.positionPreset, false);
    r.userItemsDropped = loadSequence(doc, kUserSequenceSection, stores.userSequence, true);
    const QString checks = name(kUserChecksSection);
    if (!stores.userSequence[0].isEmpty() && !doc.keys(checks).isEmpty()) {
        const int n = std::min(SequenceItemCount(stores.userSequence[0]), kSequenceMaxItems);
        // A section written by hand names no list: it is taken as written. One that names
        // another list than the one there now was left behind by a rewrite of that list.
        const QString savedFor = doc.read(checks, name(kChecksForKey));
        if (savedFor.isEmpty() || savedFor == UserSequenceFingerprint(stores.userSequence, n)) {
            for (int i = 1; i <= n; ++i) stores.userChecks[i] = doc.read(checks, QString::number(i));
        } else {
            r.userChecksDropped = true;
            r.warnings << QStringLiteral("The expectations in [%1] were saved with another user sequence; they were "
                                         "left out.")
                              .arg(checks);
        }
    }
    warnDroppedItems(r, r.speedPresetItemsDropped, QStringLiteral("speed preset sequence"));
    warnDroppedItems(r, r.positionPresetItemsDropped, QStringLiteral("position preset sequence"));
    warnDroppedItems(r, r.userItemsDropped, QStringLiteral("user sequence"));
}

}  // namespace

ConfigLoadResult LoadConfiguration(IniProfile& profile, ConsoleStores& stores)
{
    ConfigLoadResult r;
    IniProfile::FileState state;
    IniDocument doc = profile.load(&state);

    if (!setAsideTooLarge(profile, state, doc, r) && !hasMarker(doc)) {
        r.seeded = true;
        const IniEdit seed = SeedingEdit();
        if (!profile.apply(seed)) {
            r.seedWriteFailed = true;
            r.seedError = profile.error();
            r.warnings << QStringLiteral("The default settings could not be saved. %1").arg(r.seedError);
        }
        // The defaults serve this session even when the file could not take them.
        doc.apply(seed);
    }
    fillStores(doc, stores, r);
    return r;
}

ConfigLoadResult ReadConfiguration(const IniProfile& profile, ConsoleStores& stores)
{
    ConfigLoadResult r;
    IniProfile::FileState state;
    IniDocument doc = profile.load(&state);
    if (!setAsideTooLarge(profile, state, doc, r) && !hasMarker(doc)) {
        r.seeded = true;
        doc.apply(SeedingEdit());
    }
    fillStores(doc, stores, r);
    return r;
}

QString UserSequenceFingerprint(const SequenceText& user, int n)
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (int i = 0; i <= std::clamp(n, 0, kSequenceMaxItems); ++i) {
        h.addData(user[i].toUtf8());
        h.addData(QByteArrayView("\n"));
    }
    return QString::fromLatin1(h.result().toHex().left(16));
}

bool SaveUserSequence(IniProfile& profile, const SequenceText& user, int n, const SequenceText* checks)
{
    n = std::clamp(n, 0, kSequenceMaxItems);
    const QString section = name(kUserSequenceSection);
    IniEdit e;
    e.removeSection(section);
    e.set(section, name(kHeaderKey), user[0]);
    for (int i = 1; i <= n; ++i) e.set(section, QString::number(i), user[i]);
    if (checks) {
        const QString checkSection = name(kUserChecksSection);
        e.removeSection(checkSection);
        bool any = false;
        for (int i = 1; i <= n; ++i) any = any || !(*checks)[i].isEmpty();
        if (any) {
            e.set(checkSection, name(kChecksForKey), UserSequenceFingerprint(user, n));
            for (int i = 1; i <= n; ++i) e.set(checkSection, QString::number(i), (*checks)[i]);
        }
    }
    return profile.apply(e);
}

}  // namespace zentor
