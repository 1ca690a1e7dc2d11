// The sequence test window's list editor: the item list and the number lists drawn from the
// lines, the editor row with its action rule and typing checks, and ADD/CHANGE and DELETE.

#include "SequenceTestDlg.h"

#include "ActionTable.h"
#include "EditorRules.h"
#include "SequenceForms.h"
#include "SequenceIds.h"
#include "TypingLimit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace zentor {

namespace {

constexpr Qt::Alignment kCentred = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

QTableWidgetItem* cell(const QString& text, Qt::Alignment align)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(align);
    // Shown, never chosen or edited.
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

// The selected entry's text, empty when none is selected.
QString selectedText(const QComboBox* box) { return box->currentIndex() >= 0 ? box->currentText() : QString(); }

}  // namespace

void DLG_SEQ_TEST::RebuildList(int itemCount)
{
    list_.itemCount = itemCount;
    const ListDisplay d = RebuildDisplay(list_);

    // 1, 2. The number lists, the new-item entry selected.
    itemList_->setRowCount(0);
    auto* numbers = controlAs<QComboBox>(seqids::NumberList);
    auto* rangeStart = controlAs<QComboBox>(seqids::RangeStart);
    numbers->clear();
    rangeStart->clear();
    numbers->addItems(d.numberEntries);
    rangeStart->addItems(d.rangeStartEntries);
    controls_.setText(seqids::RangeEnd, d.rangeEnd);
    numbers->setCurrentIndex(numbers->count() - 1);
    controls_.setText(seqids::AddChange, QStringLiteral("ADD"));

    // 3. The header's fields.
    rangeStart->setCurrentIndex(d.rangeStartIndex);
    if (!host_.removalInProgress()) controls_.setText(seqids::RangeRepeat, d.rangeRepeat);
    typeWord_ = d.typeWord;

    // 4. One row per item line.
    itemList_->setRowCount(static_cast<int>(d.rows.size()));
    for (int r = 0; r < static_cast<int>(d.rows.size()); ++r) {
        const ListRow& row = d.rows[static_cast<size_t>(r)];
        itemList_->setItem(r, 0, cell(QString(), kCentred));
        itemList_->setItem(r, 1, cell(row.number, kCentred));
        itemList_->setItem(r, 2, cell(row.action, kLeft));
        itemList_->setItem(r, 3, cell(row.value, kCentred));
        itemList_->setItem(r, 4, cell(row.time, kCentred));
        itemList_->setItem(r, 5, cell(row.repeat, kCentred));
        itemList_->setItem(r, 6, cell(row.expectations, kLeft));
    }

    // 5.
    ComputeSchedule();
}

void DLG_SEQ_TEST::LoadRowIntoEditor(int index)
{
    const EditorRow row = EditorRowFor(list_, index);
    auto* actions = controlAs<QComboBox>(seqids::ActionList);
    const int at = actions->findText(row.action, Qt::MatchExactly | Qt::MatchCaseSensitive);
    actions->setCurrentIndex(at >= 0 ? at : (actions->count() > 0 ? 0 : -1));
    controls_.setText(seqids::ValueEdit, row.boxes.value);
    controls_.setText(seqids::TimeEdit, row.boxes.time);
    controls_.setText(seqids::RepeatEdit, row.boxes.repeat);
    controls_.setText(seqids::ChecksEdit, row.expectations);
    controls_.setText(seqids::AddChange, row.buttonCaption);
    ApplyActionRule();
}

void DLG_SEQ_TEST::ApplyActionRule()
{
    const QString chosen = selectedText(controlAs<QComboBox>(seqids::ActionList));
    const QString rowAction = EditorRowFor(list_, controlAs<QComboBox>(seqids::NumberList)->currentIndex()).action;
    const EditorBoxes boxes{controls_.text(seqids::ValueEdit), controls_.text(seqids::TimeEdit),
                            controls_.text(seqids::RepeatEdit)};
    const ActionRuleResult r = zentor::ApplyActionRule(chosen, rowAction, boxes);
    rule_ = r.rule;
    valueLimit_->setCharacters(rule_.maxLength);
    controls_.setText(seqids::UnitLabel, rule_.unitLabel);
    control(seqids::ValueEdit)->setEnabled(r.valueEnabled);
    controls_.setText(seqids::ValueEdit, r.boxes.value);
    controls_.setText(seqids::TimeEdit, r.boxes.time);
    controls_.setText(seqids::RepeatEdit, r.boxes.repeat);
}

// The checks look at typing only: a text the window puts into a box is taken as it is.
void DLG_SEQ_TEST::ValidateValueBox()
{
    auto* box = controlAs<QLineEdit>(seqids::ValueEdit);
    if (!box->hasFocus()) return;
    const QString checked = ValidateValue(box->text(), rule_);
    if (checked != box->text()) box->setText(checked);
}

void DLG_SEQ_TEST::ValidateTimeBox()
{
    auto* box = controlAs<QLineEdit>(seqids::TimeEdit);
    if (!box->hasFocus()) return;
    const QString checked = ValidateTime(box->text());
    if (checked != box->text()) box->setText(checked);
}

void DLG_SEQ_TEST::ValidateCountBox(int id)
{
    auto* box = controlAs<QLineEdit>(id);
    if (!box->hasFocus()) return;
    const QString checked = ValidateCount(box->text());
    if (checked != box->text()) box->setText(checked);
}

EditRequest DLG_SEQ_TEST::CurrentRequest() const
{
    EditRequest rq;
    rq.controlType = controlType_;
    rq.selectedIndex = controlAs<QComboBox>(seqids::NumberList)->currentIndex();
    rq.action = selectedText(controlAs<QComboBox>(seqids::ActionList));
    rq.boxes = {controls_.text(seqids::ValueEdit), controls_.text(seqids::TimeEdit), controls_.text(seqids::RepeatEdit)};
    rq.rangeStart = selectedText(controlAs<QComboBox>(seqids::RangeStart));
    rq.rangeRepeat = controls_.text(seqids::RangeRepeat);
    rq.expectations = controls_.text(seqids::ChecksEdit);
    return rq;
}

void DLG_SEQ_TEST::EmptyEditorRow()
{
    controlAs<QComboBox>(seqids::ActionList)->setCurrentIndex(-1);
    controls_.setText(seqids::ValueEdit, QString());
    controls_.setText(seqids::TimeEdit, QString());
    controls_.setText(seqids::RepeatEdit, QString());
    controls_.setText(seqids::ChecksEdit, QString());
}

void DLG_SEQ_TEST::AddOrChange()
{
    if (!BusyGuardPasses()) return;
    const EditOutcome outcome = zentor::AddOrChange(list_, CurrentRequest());
    switch (outcome.status) {
    case EditStatus::Refused:
        if (outcome.emptyTime) controls_.setText(seqids::TimeEdit, QString());
        if (outcome.emptyRepeat) controls_.setText(seqids::RepeatEdit, QString());
        host_.notifier().message(this, outcome.message);
        break;
    case EditStatus::Changed:
        listEdited_ = true;
        EmptyEditorRow();
        RebuildList(list_.itemCount);
        break;
    case EditStatus::Ignored:
        break;
    }
}

void DLG_SEQ_TEST::DeleteItem()
{
    if (!BusyGuardPasses()) return;
    const EditOutcome outcome = zentor::DeleteItem(list_, CurrentRequest());
    if (outcome.status == EditStatus::Refused) {
        host_.notifier().message(this, outcome.message);
    } else if (outcome.status == EditStatus::Changed) {
        listEdited_ = true;
        EmptyEditorRow();
        RebuildList(list_.itemCount);
    }
}

void DLG_SEQ_TEST::ApplyRange()
{
    // Its button stays hidden and disabled: nothing reaches this but a program.
    if (!BusyGuardPasses()) return;
    if (list_.itemCount <= 0) return;
    list_.lines[0] = FormatHeader(selectedText(controlAs<QComboBox>(seqids::RangeStart)), controls_.text(seqids::RangeEnd),
                                  controls_.text(seqids::RangeRepeat), TypeWord(controlType_));
    RebuildList(list_.itemCount);
}

}  // namespace zentor
