#include "SettingsDialog.h"

#include <QPushButton>

namespace zentor::settings {

SettingsDialog::SettingsDialog(ConsoleHost& host, const QString& title, QWidget* parent)
    : QDialog(parent), host_(host), scheduler_(host.clock(), this, [this](int id) { OnTimer(id); })
{
    setWindowTitle(title);
    connect(this, &QDialog::finished, this, [this] { ResetTimers(); });
}

QPushButton* SettingsDialog::addButton(int id, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    b->setDefault(false);
    controls_.add(id, b);
    return b;
}

bool SettingsDialog::BusyGuardPasses()
{
    if (busyGuard_) return false;
    busyGuard_ = true;
    scheduler_.start(BusyTimer, kBusyMs);
    return true;
}

void SettingsDialog::ResetTimers()
{
    scheduler_.kill(BusyTimer);
    scheduler_.kill(ReplyTimer);
    busyGuard_ = false;
    requestSent_ = false;
}

void SettingsDialog::OnStopControlMotor()
{
    if (!BusyGuardPasses()) return;
    if (!host_.running() || !host_.linkPresent()) return;
    host_.StartStop();
    StartReplyCheck(false);
}

void SettingsDialog::OnTimer(int id)
{
    if (id == BusyTimer) {
        scheduler_.kill(BusyTimer);
        busyGuard_ = false;
        return;
    }
    if (id != ReplyTimer) return;
    scheduler_.kill(ReplyTimer);
    if (requestSent_ && host_.awaiting()) {
        // The failure path also refreshes this window (ConnectionLost).
        host_.clearAwaiting();
        host_.CommunicationFailure(ReplyMissing);
        return;
    }
    AfterReply();
}

}  // namespace zentor::settings
