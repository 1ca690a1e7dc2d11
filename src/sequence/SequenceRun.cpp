// The sequence test window's run: the schedule with its markers along the progress bar,
// START/PAUSE, RESET, the 100 ms tick (timer 2) and the displays, each step sent at once
// through the main window.

#include "SequenceTestDlg.h"

#include "RunTimeFormats.h"
#include "ScheduleMarkers.h"
#include "SequenceIds.h"
#include "SequenceSchedule.h"

#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>

namespace zentor {

std::vector<QLabel*> DLG_SEQ_TEST::markerLabels() const
{
    std::vector<QLabel*> out;
    for (const QPointer<QLabel>& l : markerLabels_)
        if (l) out.push_back(l.data());
    return out;
}

std::vector<QWidget*> DLG_SEQ_TEST::markerTicks() const
{
    std::vector<QWidget*> out;
    for (const QPointer<QWidget>& t : markerTicks_)
        if (t) out.push_back(t.data());
    return out;
}

void DLG_SEQ_TEST::DestroyMarkers()
{
    for (QPointer<QLabel>& l : markerLabels_) delete l.data();
    for (QPointer<QWidget>& t : markerTicks_) delete t.data();
    markerLabels_.clear();
    markerTicks_.clear();
}

void DLG_SEQ_TEST::ResetDisplays()
{
    ShowDisplays(IdleDisplays(SequenceSchedule{}));
    DestroyMarkers();
}

void DLG_SEQ_TEST::ComputeSchedule()
{
    ResetDisplays();
    SequenceSchedule schedule = zentor::ComputeSchedule(list_, controlType_);
    // The markers are laid out in the coordinates of the bar's parent, where they live.
    const std::vector<ItemMarker> markers = LayoutMarkers(schedule, progress_->geometry());
    // A new schedule abandons any run.
    runner_.setSchedule(std::move(schedule));
    ++runGeneration_;
    host_.setSequenceRunning(runner_.sequenceRunning());
    ShowDisplays(runner_.displays());

    QWidget* parent = progress_->parentWidget();
    for (const ItemMarker& m : markers) {
        auto* label = new QLabel(m.text, parent);
        label->setObjectName(QString::number(m.labelId));
        label->setProperty("controlId", m.labelId);
        label->setGeometry(m.label);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Box);
        label->setLineWidth(1);
        label->setFont(MarkerFont());
        label->setTextFormat(Qt::PlainText);
        label->show();
        markerLabels_.emplace_back(label);
        auto* tick = new QFrame(parent);
        tick->setObjectName(QString::number(m.tickId));
        tick->setProperty("controlId", m.tickId);
        tick->setGeometry(m.tick);
        tick->setFrameShape(QFrame::Box);
        tick->setFrameShadow(QFrame::Plain);
        tick->setLineWidth(1);
        tick->show();
        markerTicks_.emplace_back(tick);
    }
}

void DLG_SEQ_TEST::ShowDisplays(const RunDisplays& d)
{
    controls_.setText(seqids::TotalTime, d.totalTime);
    controls_.setText(seqids::CurrentTime, d.currentTime);
    controls_.setText(seqids::RemainingTime, d.remainingTime);
    controls_.setText(seqids::TotalItems, d.totalItems);
    controls_.setText(seqids::CurrentItem, d.currentItem);
    controls_.setText(seqids::RemainingItems, d.remainingItems);
    progress_->setValue(d.progress);
}

void DLG_SEQ_TEST::SetMark(int row, const QString& mark)
{
    if (QTableWidgetItem* item = itemList_->item(row, 0)) item->setText(mark);
}

void DLG_SEQ_TEST::StartOrPause()
{
    if (!BusyGuardPasses()) return;
    const RunOutput out = runner_.startOrPause(host_.clock().nowMs());
    ApplyRun(out);
    if (out.refusal.isEmpty()) RefreshSequenceDialog();
}

void DLG_SEQ_TEST::ResetButton()
{
    if (!BusyGuardPasses()) return;
    Reset();
}

void DLG_SEQ_TEST::Reset()
{
    ++runGeneration_;
    ApplyRun(runner_.reset());
    RefreshSequenceDialog();
    RebuildList(list_.itemCount);
}

void DLG_SEQ_TEST::RunTick()
{
    // One-shot: armed again by the tick itself while the run goes on.
    scheduler_.kill(RunTimer);
    ApplyRun(runner_.tick(host_.clock().nowMs()));
}

void DLG_SEQ_TEST::ApplyRun(const RunOutput& out)
{
    if (!out.refusal.isEmpty()) {
        host_.notifier().message(this, out.refusal);
        return;
    }
    const uint64_t generation = runGeneration_;
    auto clearAllMarks = [this] {
        for (int r = 0; r < itemList_->rowCount(); ++r) SetMark(r, QString());
    };
    // At the end the run stands, marks and SequenceRunning included, while its message is up.
    if (!out.end) host_.setSequenceRunning(out.sequenceRunning);
    if (out.command) {
        host_.SendSequenceCommand(*out.command);
        // A write that did not complete ran the main window's failure path, which has reset
        // this run and its displays already.
        if (generation != runGeneration_) return;
    }
    if (out.clearAllMarks && !out.end) {
        clearAllMarks();
    } else if (out.clearMarkRow >= 0) {
        SetMark(out.clearMarkRow, QString());
    }
    if (out.markRow >= 0) SetMark(out.markRow, QStringLiteral(">"));
    ShowDisplays(out.displays);
    if (out.armTimer) {
        scheduler_.start(RunTimer, kRunTickMs);
    } else {
        scheduler_.kill(RunTimer);
    }
    if (out.end) {
        // The message first, over the last measurement; then the marks go, the run is dropped
        // and the window is idle with a fresh schedule.
        host_.notifier().message(this, kSequenceEndMessage);
        if (generation != runGeneration_) return;
        clearAllMarks();
        host_.setSequenceRunning(false);
        RefreshSequenceDialog();
        RebuildList(list_.itemCount);
    }
}

}  // namespace zentor
