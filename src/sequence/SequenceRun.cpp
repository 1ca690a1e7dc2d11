// The sequence test window's run: the schedule with its markers along the progress bar,
// START/PAUSE, RESET, the 100 ms tick (timer 2) and the displays, each step sent at once
// through the main window.

#include "SequenceTestDlg.h"

#include "ModbusFrames.h"
#include "ReportFile.h"
#include "RunTimeFormats.h"
#include "ScheduleMarkers.h"
#include "SequenceForms.h"
#include "SequenceIds.h"
#include "SequenceSchedule.h"

#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
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
    const bool fresh = runner_.state() == RunnerState::Idle;
    const RunOutput out = runner_.startOrPause(host_.clock().nowMs());
    if (fresh && out.refusal.isEmpty()) {
        // What the report tells of the run, as it was when it started.
        runReport_ = TestReport{};
        runReport_.startedAt = QDateTime::currentDateTime();
        runReport_.version = ConsoleVersion();
        runReport_.port = host_.openPortName();
        runReport_.baud = host_.configuredBaud();
        runReport_.slave = host_.slaveAddress();
        runReport_.controlType = controlType_;
        runReport_.unit = controls_.text(seqids::UnitEdit).trimmed();
        runReport_.section = listOrigin_.isEmpty() ? QStringLiteral("(new list, not saved)")
                             : listEdited_         ? listOrigin_ + QStringLiteral(" (edited, not saved)")
                                                   : listOrigin_;
        runReport_.setLine = list_.lines[0];
        controls_.setText(seqids::Verdict, QString());
    }
    ApplyRun(out);
    if (out.refusal.isEmpty()) RefreshSequenceDialog();
}

void DLG_SEQ_TEST::WatchLine(bool on)
{
    if (statusListener_ >= 0) host_.RemoveStatusListener(statusListener_);
    if (trafficListener_ >= 0) host_.RemoveTrafficListener(trafficListener_);
    statusListener_ = trafficListener_ = -1;
    if (!on) return;
    statusListener_ = host_.AddStatusListener([this] { OnStatusRead(); });
    trafficListener_ = host_.AddTrafficListener([this](const TrafficEvent& e) { OnAnswer(e); });
}

void DLG_SEQ_TEST::OnStatusRead()
{
    if (runner_.checkReadOutstanding()) runner_.judgeChecks(SampleStatus(host_.registers()));
}

void DLG_SEQ_TEST::OnAnswer(const TrafficEvent& e)
{
    if (e.kind != TrafficEvent::Answer || runner_.state() == RunnerState::Idle || e.bytes.size() < 2) return;
    const int function = uint8_t(e.bytes[1]) & 0x7F;
    if (function == 0x03) {
        // The answer to a check read that the console refused: its checks cannot be judged. A
        // second such failure ends the run at the next tick, outside the console's answer path.
        if (e.check != Applied) runner_.checkReadFailed();
        return;
    }
    if (runner_.record().steps.empty()) return;
    const QString judged = e.check == Applied ? QStringLiteral("applied")
                           : e.check == 0     ? QStringLiteral("not awaited")
                                              : QString::fromLatin1(ResponseCheckName(e.check));
    runner_.noteAnswer(runner_.record().steps.back().step, judged);
}

bool DLG_SEQ_TEST::CheckReadFailuresEnd()
{
    if (runner_.state() == RunnerState::Idle || runner_.checkReadFailures() < 2) return false;
    // The failure path shows "Check Device or Connected Line" and resets this run.
    host_.clearAwaiting();
    host_.CommunicationFailure(ReplyMissing);
    return true;
}

void DLG_SEQ_TEST::ShowVerdict() { controls_.setText(seqids::Verdict, runner_.record().verdict()); }

TestReport DLG_SEQ_TEST::report() const
{
    TestReport r = runReport_;
    if (r.unit.isEmpty()) r.unit = controls_.text(seqids::UnitEdit).trimmed();
    r.record = runner_.record();
    return r;
}

void DLG_SEQ_TEST::SaveReport()
{
    if (!BusyGuardPasses()) return;
    const RunEnd end = runner_.record().end;
    if (end != RunEnd::End && end != RunEnd::Stopped) return;
    const TestReport r = report();
    QString unit = r.unit;
    unit.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]+")), QStringLiteral("_"));
    const QString proposed = QStringLiteral("SequenceReport_%1%2.pdf")
                                 .arg(unit.isEmpty() ? QString() : unit + QLatin1Char('_'),
                                      r.startedAt.toString(QStringLiteral("yyyyMMdd_HHmmss")));
    const QString path = host_.ChooseSaveFile(this, QStringLiteral("Save Test Report"), proposed,
                                              QStringLiteral("PDF report (*.pdf);;CSV report (*.csv)"));
    if (path.isEmpty()) return;
    QString reason;
    if (!WriteReport(r, path, &reason)) {
        host_.notifier().message(this, QStringLiteral("The test report could not be saved.\n%1").arg(reason));
        return;
    }
    host_.notifier().message(this, QStringLiteral("The test report was saved to %1").arg(path));
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
    ShowVerdict();
    RefreshSequenceDialog();
    RebuildList(list_.itemCount);
}

void DLG_SEQ_TEST::RunTick()
{
    // One-shot: armed again by the tick itself while the run goes on.
    scheduler_.kill(RunTimer);
    if (CheckReadFailuresEnd()) return;
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
    // The second check read without an answer ends the run before anything more is sent.
    if (out.checkReadMissed && CheckReadFailuresEnd()) return;
    if (out.command) {
        host_.SendSequenceCommand(*out.command);
        // A write that did not complete ran the main window's failure path, which has reset
        // this run and its displays already.
        if (generation != runGeneration_) return;
    }
    if (out.checkRead) {
        // The status read whose answer judges the checks of the step sent last.
        host_.SendCommand(StatusRead);
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
        // The message first, over the last measurement and with the verdict shown; then the
        // marks go, the run is dropped and the window is idle with a fresh schedule.
        ShowVerdict();
        host_.notifier().message(this, kSequenceEndMessage);
        if (generation != runGeneration_) return;
        clearAllMarks();
        host_.setSequenceRunning(false);
        RefreshSequenceDialog();
        RebuildList(list_.itemCount);
    }
}

}  // namespace zentor
