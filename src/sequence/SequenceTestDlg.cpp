// The sequence test window's shell: opening, the status line and the enable rules, the
// control type, STOP Control Motor with its reply check, the busy guard, the keyboard filter
// and closing.

#include "SequenceTestDlg.h"

#include "ActionTable.h"
#include "SequenceIds.h"
#include "TypingLimit.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

namespace zentor {

DLG_SEQ_TEST::DLG_SEQ_TEST(ConsoleHost& host, QWidget* parent)
    : QDialog(parent), host_(host), scheduler_(host.clock(), this, [this](int id) { OnTimer(id); })
{
    buildWindow();
    // Enter and Escape are taken before the window sees them.
    qApp->installEventFilter(this);
    // EXIT and the close box both end the window through its cancel action.
    connect(this, &QDialog::finished, this, &DLG_SEQ_TEST::Close);
}

DLG_SEQ_TEST::~DLG_SEQ_TEST() { qApp->removeEventFilter(this); }

void DLG_SEQ_TEST::Initialise()
{
    // 1. No press remembered, no check or tick pending, no run and no schedule.
    busy_ = false;
    for (int id : {BusyTimer, ReplyTimer, RunTimer}) scheduler_.kill(id);
    progress_->setRange(0, 200);
    DestroyMarkers();
    runner_.setSchedule(SequenceSchedule{});
    ++runGeneration_;
    ShowDisplays(runner_.displays());

    // 2. The type list, with no type chosen.
    auto* types = controlAs<QComboBox>(seqids::TypeList);
    types->clear();
    types->addItems({QStringLiteral("(Select)"), QStringLiteral("Speed Control"), QStringLiteral("Position Control")});
    types->setCurrentIndex(0);
    controlType_ = 0;
    typeWord_.clear();

    // 3. An empty list and empty number and action lists.
    list_ = SequenceList{};
    itemList_->setRowCount(0);
    controlAs<QComboBox>(seqids::NumberList)->clear();
    controlAs<QComboBox>(seqids::RangeStart)->clear();
    controlAs<QComboBox>(seqids::ActionList)->clear();
    controls_.setText(seqids::RangeEnd, QString());
    controls_.setText(seqids::RangeRepeat, QString());

    // 4. The value box's rule before any action is chosen.
    rule_ = InitialValueRule();
    valueLimit_->setCharacters(rule_.maxLength);
    controls_.setText(seqids::UnitLabel, rule_.unitLabel);
    control(seqids::ValueEdit)->setEnabled(true);

    // The checked run: the verdict of the last run, whose report can still be saved; the
    // answers and status reads reach the run.
    ShowVerdict();
    listOrigin_.clear();
    listEdited_ = false;
    WatchLine(true);

    // 5.
    RefreshSequenceDialog();
}

void DLG_SEQ_TEST::RefreshSequenceDialog()
{
    const int address = host_.slaveAddress();
    controls_.setText(seqids::IdLabel, QString::asprintf("ID : %d (0x%02X)", address, static_cast<unsigned>(address)));

    editingLocked_ = false;
    QString status;
    if (!host_.portOpen()) {
        status = QStringLiteral("  [OPEN] COM Port Open and Sequence Test");
        testMode_ = false;
    } else if (host_.running()) {
        status = QStringLiteral("  [STOP] Control Motor");
        testMode_ = false;
    } else if (host_.sequenceRunning()) {
        status = QStringLiteral("  [TEST] Now Sequence Test in progress");
        testMode_ = true;
        editingLocked_ = true;
    } else {
        status = QStringLiteral("  [TEST] Sequence Test Settings");
        testMode_ = true;
    }
    controls_.setText(seqids::StatusLine, status);

    const QString type = controlType_ == 1 ? QStringLiteral("Speed Ctrl")
                         : controlType_ == 2 ? QStringLiteral("Position Ctrl")
                                             : QStringLiteral("(Select)");
    controls_.setText(seqids::RunTypeLabel, type);
    controls_.setText(seqids::SelectTypeLabel, type);

    controls_.setEnabled({seqids::StartPause, seqids::Reset}, testMode_);
    controls_.setText(seqids::StartPause, runner_.startCaption());

    controls_.setText(seqids::AddChange, QStringLiteral("ADD"));
    controls_.setText(seqids::ValueEdit, QString());
    controls_.setText(seqids::TimeEdit, QString());
    controls_.setText(seqids::RepeatEdit, QString());
    controls_.setText(seqids::ChecksEdit, QString());
    controls_.setEnabled({seqids::RepeatEdit}, false);
    controls_.setEnabled({seqids::RangeStart, seqids::RangeEnd, seqids::RangeRepeat, seqids::ApplyRange}, false);

    controls_.setEnabled({seqids::LoadInitial, seqids::TypeList, seqids::Select, seqids::AddChange, seqids::Delete,
                          seqids::LoadUser, seqids::ChecksEdit},
                         !editingLocked_);
    // A report tells of a run that is over.
    const RunEnd end = runner_.record().end;
    controls_.setEnabled({seqids::Report}, end == RunEnd::End || end == RunEnd::Stopped);
}

bool DLG_SEQ_TEST::BusyGuardPasses()
{
    if (busy_) return false;
    busy_ = true;
    scheduler_.start(BusyTimer, kBusyMs);
    return true;
}

void DLG_SEQ_TEST::OnTimer(int id)
{
    switch (id) {
    case BusyTimer:
        scheduler_.kill(BusyTimer);
        busy_ = false;
        break;
    case ReplyTimer:
        ReplyCheck();
        break;
    case RunTimer:
        RunTick();
        break;
    default:
        break;
    }
}

void DLG_SEQ_TEST::ReplyCheck()
{
    scheduler_.kill(ReplyTimer);
    if (host_.awaiting()) {
        // The failure path refreshes this window and resets its run (ConnectionLost).
        host_.clearAwaiting();
        host_.CommunicationFailure(ReplyMissing);
        return;
    }
    RefreshSequenceDialog();
}

void DLG_SEQ_TEST::ApplyControlType(int type)
{
    controlType_ = type;
    // The main window's control type, register layout and control panel follow.
    host_.SetControlType(type);
}

bool DLG_SEQ_TEST::ControlTypeMayBecome(int type)
{
    // The console changes its control type only while communication is stopped, as the main
    // window's own Select insists.
    if (!host_.running() || type == host_.controlType()) return true;
    host_.notifier().message(this, QStringLiteral("Stop Contorl Motor"));
    return false;
}

void DLG_SEQ_TEST::SelectType()
{
    if (!BusyGuardPasses()) return;
    const int index = controlAs<QComboBox>(seqids::TypeList)->currentIndex();
    const int type = index == 1 || index == 2 ? index : 0;
    if (!ControlTypeMayBecome(type)) return;
    ApplyControlType(type);
    RefreshSequenceDialog();
    list_ = SequenceList{};
    RebuildList(0);
    FillActionList();
}

void DLG_SEQ_TEST::FillActionList()
{
    auto* actions = controlAs<QComboBox>(seqids::ActionList);
    actions->clear();
    actions->addItems(ActionNames(controlType_));
    actions->setCurrentIndex(-1);
    actions->update();
}

void DLG_SEQ_TEST::StopControlMotor()
{
    if (!BusyGuardPasses()) return;
    if (!host_.running() || !host_.linkPresent()) return;
    host_.StartStop();
    // Only a stop that happened has an answer to check: the main window may have ignored the
    // press (its own busy guard).
    if (!host_.running()) scheduler_.start(ReplyTimer, kReplyCheckMs);
}

void DLG_SEQ_TEST::Close()
{
    // The run ends with the window: no tick, no check, no marker outlives it. Nothing is sent
    // to the driver; the main window clears SequenceRunning.
    for (int id : {BusyTimer, ReplyTimer, RunTimer}) scheduler_.kill(id);
    busy_ = false;
    DestroyMarkers();
    runner_.setSchedule(SequenceSchedule{});
    ++runGeneration_;
    WatchLine(false);
}

void DLG_SEQ_TEST::ConnectionLost()
{
    RefreshSequenceDialog();
    Reset();
}

bool DLG_SEQ_TEST::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Neither closes the window nor presses a button, from whichever of its controls.
        if (widget && widget->window() == this &&
            (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace zentor
