// The sequence test window's whole-list buttons: Load Initial puts the preset of the control
// type into the editor, Save User keeps the list as the user sequence (in memory and in the
// configuration file), Load User brings it back with its control type.

#include "SequenceTestDlg.h"

#include "ConfigurationFile.h"
#include "Expectations.h"
#include "SequenceForms.h"
#include "SequenceIds.h"

#include <QComboBox>
#include <QStringList>

namespace zentor {

namespace {

// What the editor could not take over as stored, in words for the operator; empty when all.
QString LoadProblems(const LoadedList& loaded, const SequenceSchedule& schedule)
{
    QStringList notes;
    for (size_t k = 0; k < schedule.items.size(); ++k)
        if (schedule.items[k].resolved.ok() && !schedule.items[k].checksError.isEmpty())
            notes << QStringLiteral("The expectations of item %1 cannot be read: %2. START refuses the list until they are "
                                    "changed.")
                         .arg(k + 1)
                         .arg(schedule.items[k].checksError);
    if (loaded.itemsLeftOut > 0)
        notes << QStringLiteral("The stored list holds %1 more items than the 39 a sequence holds; they were left out.")
                     .arg(loaded.itemsLeftOut);
    if (!loaded.longFieldItems.isEmpty()) {
        QStringList numbers;
        for (int item : loaded.longFieldItems) numbers << QString::number(item);
        notes << QStringLiteral("Item %1 has a field longer than 23 characters; START refuses the list until it is "
                                "changed or deleted.")
                     .arg(numbers.join(QStringLiteral(", ")));
    }
    return notes.join(QLatin1Char('\n'));
}

}  // namespace

LoadedList DLG_SEQ_TEST::TakeOver(const SequenceLines& store, const SequenceLines& checks)
{
    LoadedList loaded = CopyStore(store, checks);
    list_ = loaded.list;
    RebuildList(list_.itemCount);
    return loaded;
}

void DLG_SEQ_TEST::TellLoadProblems(const LoadedList& loaded)
{
    const QString problems = LoadProblems(loaded, runner_.schedule());
    if (!problems.isEmpty()) host_.notifier().message(this, problems);
}

void DLG_SEQ_TEST::LoadInitial()
{
    if (!BusyGuardPasses()) return;
    const ConsoleStores& stores = host_.stores();
    const SequenceLines* preset = controlType_ == 1 ? &stores.speedPreset
                                  : controlType_ == 2 ? &stores.positionPreset
                                                      : nullptr;
    if (!preset) return;
    const LoadedList loaded = TakeOver(*preset, {});
    listOrigin_ = QLatin1String(controlType_ == 1 ? config::kSpeedPresetSection : config::kPositionPresetSection);
    listEdited_ = false;
    FillActionList();
    TellLoadProblems(loaded);
}

void DLG_SEQ_TEST::SaveUser()
{
    if (!BusyGuardPasses()) return;
    if (list_.itemCount <= 0 || controlType_ == 0) return;
    SequenceLines& user = host_.stores().userSequence;
    user = SequenceLines{};
    SequenceLines& checks = host_.stores().userChecks;
    checks = SequenceLines{};
    for (int i = 0; i <= list_.itemCount && i < kSequenceLines; ++i) {
        user[static_cast<size_t>(i)] = list_.lines[static_cast<size_t>(i)];
        // The file keeps "±" as "+-": it then reads the same in any encoding.
        if (i > 0) checks[static_cast<size_t>(i)] = ExpectationsForFile(list_.checks[static_cast<size_t>(i)]);
    }
    // The main window writes the file's user section and tells the operator how it went.
    if (host_.SaveUserSequence(list_.itemCount)) {
        listOrigin_ = QLatin1String(config::kUserSequenceSection);
        listEdited_ = false;
    }
}

void DLG_SEQ_TEST::LoadUser()
{
    if (!BusyGuardPasses()) return;
    const SequenceLines user = host_.stores().userSequence;
    const SequenceLines checks = host_.stores().userChecks;
    if (!ControlTypeMayBecome(ControlTypeOfWord(ParseHeader(user[0]).typeWord))) return;
    // The header names the control type; the list is then read again under that type, so
    // that its items resolve in the right table.
    TakeOver(user, checks);
    const int type = ControlTypeOfWord(typeWord_);
    controlType_ = type;
    controlAs<QComboBox>(seqids::TypeList)->setCurrentIndex(type);
    const LoadedList loaded = TakeOver(user, checks);
    listOrigin_ = QLatin1String(config::kUserSequenceSection);
    listEdited_ = false;
    ApplyControlType(type);
    RefreshSequenceDialog();
    FillActionList();
    TellLoadProblems(loaded);
}

}  // namespace zentor
