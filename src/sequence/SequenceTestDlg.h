#pragma once
// The sequence test window: the operator builds a list of timed steps, runs it against the
// driver on a 100 ms tick, and saves and loads it. It moves text between its controls and the
// sequence logic, and reaches the main window only through ConsoleHost.

#include "ConsoleHost.h"
#include "ControlTable.h"
#include "ListEdits.h"
#include "Scheduler.h"
#include "SequenceLines.h"
#include "SequenceRunner.h"
#include "TestReport.h"
#include "ValueRule.h"

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace zentor {

class TypingLimit;

class DLG_SEQ_TEST : public QDialog, public SecondaryWindow {
    Q_OBJECT
public:
    enum Timer { BusyTimer = 0, ReplyTimer = 1, RunTimer = 2 };
    static constexpr int kBusyMs = 500;
    static constexpr int kReplyCheckMs = 200;

    DLG_SEQ_TEST(ConsoleHost& host, QWidget* parent);
    ~DLG_SEQ_TEST() override;

    // SecondaryWindow
    QDialog* dialog() override { return this; }
    void Initialise() override;
    // The main window's failure path or the removal of its port: the run is always reset.
    void ConnectionLost() override;

    // The control with the given id, or nullptr.
    QWidget* control(int id) const { return controls_.get(id); }
    template <class W>
    W* controlAs(int id) const { return controls_.as<W>(id); }
    const ControlTable& controls() const { return controls_; }

    // What the window holds, for its tests.
    int controlType() const { return controlType_; }
    const SequenceList& list() const { return list_; }
    QString typeWord() const { return typeWord_; }
    const ValueRule& valueRule() const { return rule_; }
    const SequenceRunner& runner() const { return runner_; }
    // The report of the last run as "Report..." writes it.
    TestReport report() const;
    bool testMode() const { return testMode_; }
    bool editingLocked() const { return editingLocked_; }
    bool busy() const { return busy_; }
    Scheduler& scheduler() { return scheduler_; }
    // "Start 1" and the item markers: Arial at 14 pixels (its metric twin where Arial is not
    // installed).
    static QFont MarkerFont();
    // The item markers along the progress bar, labels and ticks in the order they were placed.
    std::vector<QLabel*> markerLabels() const;
    std::vector<QWidget*> markerTicks() const;

    // Texts and enable states from the main window's state and the run's.
    void RefreshSequenceDialog();
    // Redraws the item list and the number lists from the lines, then the schedule.
    void RebuildList(int itemCount);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Window construction (SequenceTestLayout.cpp).
    void buildWindow();
    QPushButton* addButton(int id, const QString& caption, QWidget* parent, const QRect& at);
    QLabel* addLabel(int id, const QString& text, QWidget* parent, const QRect& at,
                     Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);

    // Shell (SequenceTestDlg.cpp).
    bool BusyGuardPasses();
    void OnTimer(int id);
    void ReplyCheck();
    void SelectType();
    // False, with the main window's message, when the type would change while the console polls.
    bool ControlTypeMayBecome(int type);
    void StopControlMotor();
    void FillActionList();
    // The control type of the dialog and of the whole console.
    void ApplyControlType(int type);
    void Close();

    // List editor (SequenceEditor.cpp).
    void LoadRowIntoEditor(int index);
    void ApplyActionRule();
    void ValidateValueBox();
    void ValidateTimeBox();
    void ValidateCountBox(int id);
    void AddOrChange();
    void DeleteItem();
    void ApplyRange();
    EditRequest CurrentRequest() const;
    void EmptyEditorRow();

    // Runner (SequenceRun.cpp).
    void ComputeSchedule();
    void ResetDisplays();
    void DestroyMarkers();
    void StartOrPause();
    void ResetButton();
    void Reset();
    void RunTick();
    // Applies what a runner call asked for, in its order.
    void ApplyRun(const RunOutput& out);
    void ShowDisplays(const RunDisplays& d);
    void SetMark(int row, const QString& mark);
    // The answers on the line and the status reads reach the run while the window is open.
    void WatchLine(bool on);
    void OnAnswer(const TrafficEvent& e);
    void OnStatusRead();
    // Two missing or refused answers to check reads end the run as the link's failures do.
    bool CheckReadFailuresEnd();
    void ShowVerdict();
    void SaveReport();

    // Saving and loading (SequenceStorage.cpp).
    void LoadInitial();
    void SaveUser();
    void LoadUser();
    // Takes a stored list over into the editor and rebuilds it.
    LoadedList TakeOver(const SequenceLines& store, const SequenceLines& checks);
    // Tells the operator what of a stored list could not be taken as it was.
    void TellLoadProblems(const LoadedList& loaded);

    ConsoleHost& host_;
    ControlTable controls_;
    Scheduler scheduler_;
    QTableWidget* itemList_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::vector<QPointer<QLabel>> markerLabels_;
    std::vector<QPointer<QWidget>> markerTicks_;

    int controlType_ = 0;
    SequenceList list_;
    QString typeWord_;
    ValueRule rule_ = InitialValueRule();
    TypingLimit* valueLimit_ = nullptr;  // the value box's length, from rule_
    bool busy_ = false;
    bool testMode_ = false;
    bool editingLocked_ = false;
    SequenceRunner runner_;
    // Grows with every reset of the run: a send whose failure path reset the run is not
    // followed by the rest of its tick.
    uint64_t runGeneration_ = 0;
    int statusListener_ = -1;
    int trafficListener_ = -1;
    // Where the list came from (its section) and whether it was edited since; what the last
    // run was played with.
    QString listOrigin_;
    bool listEdited_ = false;
    TestReport runReport_;
};

}  // namespace zentor
