#pragma once
// What the two modal settings windows share: their control table, their own timers on the
// console's clock (timer 0 ends the BusyGuard after 500 ms, timer 1 is the ReplyCheck 200 ms
// after a request), the BusyGuard itself and "STOP Control Motor".

#include "ConsoleHost.h"
#include "ControlTable.h"
#include "Scheduler.h"

#include <QDialog>

class QPushButton;

namespace zentor::settings {

class SettingsDialog : public QDialog, public SecondaryWindow {
    Q_OBJECT
public:
    enum Timer { BusyTimer = 0, ReplyTimer = 1 };
    static constexpr int kBusyMs = 500;
    static constexpr int kReplyCheckMs = 200;

    QDialog* dialog() override { return this; }
    const ControlTable& controls() const { return controls_; }
    QWidget* control(int id) const { return controls_.get(id); }
    template <class W>
    W* controlAs(int id) const { return controls_.as<W>(id); }
    Scheduler& scheduler() { return scheduler_; }
    bool busy() const { return busyGuard_; }

protected:
    SettingsDialog(ConsoleHost& host, const QString& title, QWidget* parent);

    // A button of the window: pressed by click only, never by Enter.
    QPushButton* addButton(int id, const QString& caption, QWidget* parent);
    // Every button but EXIT starts with this: a press within 500 ms of an accepted one is
    // ignored entirely.
    bool BusyGuardPasses();
    // Timer 1. Only after a request this window sent does a missing answer count as a failure:
    // an answer the main window still awaits from before (a port closed or a failure while a
    // request was on its way) is not this window's.
    void StartReplyCheck(bool requestSent)
    {
        requestSent_ = requestSent;
        scheduler_.start(ReplyTimer, kReplyCheckMs);
    }
    // Each opening starts with no press remembered and no check pending; a closed window's
    // timers are gone with it.
    void ResetTimers();
    // Stops the main window's communication when it runs, so that the settings can be changed.
    void OnStopControlMotor();
    // ReplyCheck found the answer applied (or nothing awaited).
    virtual void AfterReply() = 0;

    ConsoleHost& host_;
    ControlTable controls_;

private:
    void OnTimer(int id);

    Scheduler scheduler_;
    bool busyGuard_ = false;
    bool requestSent_ = false;
};

}  // namespace zentor::settings
