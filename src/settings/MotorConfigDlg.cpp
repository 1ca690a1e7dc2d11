#include "MotorConfigDlg.h"

#include "DriverCommands.h"
#include "SettingsIds.h"
#include "StatusLine.h"
#include "TypingLimit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentor::settings {

using namespace motor_ids;

const std::array<DLG_MOTOR_CONFIG::Field, 7> DLG_MOTOR_CONFIG::kFields = {{
    {MotorSetting::Poles, PolesEdit, PolesSet, PoleCount, "Number of POLE"},
    {MotorSetting::ReducerRatio, ReducerEdit, ReducerSet, zentor::ReducerRatio, "Reduction Ratio ( 1/ N )"},
    {MotorSetting::CurrentLimit, CurrentEdit, CurrentSet, zentor::CurrentLimit, "Current Limit (A)"},
    {MotorSetting::MaxRpm, MaxRpmEdit, MaxRpmSet, zentor::MaxRpm, "Max. RPM"},
    {MotorSetting::AccelTime, AccelEdit, AccelSet, zentor::AccelTime, "Acc. Time (sec)"},
    {MotorSetting::DecelTime, DecelEdit, DecelSet, zentor::DecelTime, "Dec. Time (sec)"},
    {MotorSetting::LockTime, LockEdit, LockSet, zentor::LockTime, "Time Lock (sec)"},
}};

DLG_MOTOR_CONFIG::DLG_MOTOR_CONFIG(ConsoleHost& host, QWidget* parent)
    : SettingsDialog(host, QStringLiteral("Motor Setting Configuration"), parent)
{
    buildWindow();
}

void DLG_MOTOR_CONFIG::buildWindow()
{
    auto* top = new QVBoxLayout(this);
    top->setSpacing(10);

    auto* statusRow = new QHBoxLayout;
    auto* status = new StatusLine(QStringLiteral("   COM Port Open & Must Stop Control Motor Communication"), this);
    status->setMinimumWidth(420);
    controls_.add(Status, status);
    statusRow->addWidget(status, 1);
    connect(addButton(StopControlMotor, QStringLiteral("STOP Control Motor"), this), &QPushButton::clicked, this,
            &DLG_MOTOR_CONFIG::OnStopControlMotor);
    statusRow->addWidget(control(StopControlMotor));
    top->addLayout(statusRow);

    // What the driver holds, as read last.
    auto* current = new QGroupBox(QStringLiteral("Current Setting"), this);
    auto* grid = new QGridLayout(current);
    grid->setHorizontalSpacing(12);
    struct Shown {
        const char* caption;
        int id;
        const char* placeholder;
    };
    const Shown shown[8] = {
        {"Control Type", TypeLabel, "Position"},  {"Number of POLE", PolesLabel, "4P"},
        {"Reduction Ratio", ReducerLabel, "1/50"}, {"Current Limit", CurrentLabel, "5A"},
        {"Max. RPM", MaxRpmLabel, "3600"},         {"Time Lock", LockLabel, "3.0 s"},
        {"Acc. Time", AccelLabel, "3.0 s"},        {"Dec. Time", DecelLabel, "3.0 s"},
    };
    for (int i = 0; i < 8; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(shown[i].caption) + QLatin1Char(':'), current);
        auto* value = new QLabel(QString::fromLatin1(shown[i].placeholder), current);
        value->setFrameShape(QFrame::StyledPanel);
        value->setFrameShadow(QFrame::Sunken);
        value->setMinimumWidth(110);
        value->setAlignment(Qt::AlignCenter);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        controls_.add(shown[i].id, value);
        grid->addWidget(caption, i / 2, (i % 2) * 2);
        grid->addWidget(value, i / 2, (i % 2) * 2 + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    connect(addButton(CheckSetting, QStringLiteral("Check Setting"), current), &QPushButton::clicked, this,
            &DLG_MOTOR_CONFIG::OnCheckSetting);
    grid->addWidget(control(CheckSetting), 4, 3, Qt::AlignRight);
    top->addWidget(current);

    // One group per setting: its field and its SET.
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(8);
    for (size_t i = 0; i < kFields.size(); ++i) {
        const Field& f = kFields[i];
        const QString caption = QString::fromLatin1(f.caption);
        auto* box = new QGroupBox(caption, this);
        auto* row = new QHBoxLayout(box);
        auto* edit = new QLineEdit(box);
        edit->setValidator(new TypingLimit(TypingLimitOf(f.setting), edit));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setFixedWidth(110);
        edit->setAccessibleName(caption);
        controls_.add(f.editId, edit);
        // Only what the operator types is checked; texts the window sets itself are not.
        connect(edit, &QLineEdit::textEdited, this, [this, &f] { OnTyped(f); });
        row->addWidget(edit);
        row->addStretch(1);
        connect(addButton(f.setId, QStringLiteral("SET"), box), &QPushButton::clicked, this, [this, &f] { OnSet(f); });
        row->addWidget(control(f.setId));
        fields->addWidget(box, int(i) / 2, int(i) % 2);
    }
    top->addLayout(fields);

    auto* bottom = new QHBoxLayout;
    connect(addButton(Apply, QStringLiteral("Write Settings"), this), &QPushButton::clicked, this,
            &DLG_MOTOR_CONFIG::OnApply);
    control(Apply)->setMinimumWidth(140);
    control(Apply)->setToolTip(QStringLiteral("APPLY: the driver takes the settings written over"));
    bottom->addWidget(control(Apply));
    bottom->addStretch(1);
    connect(addButton(Exit, QStringLiteral("EXIT"), this), &QPushButton::clicked, this, &QDialog::reject);
    control(Exit)->setMinimumWidth(100);
    bottom->addWidget(control(Exit));
    top->addLayout(bottom);
    setFixedSize(sizeHint());
}

void DLG_MOTOR_CONFIG::Initialise()
{
    ResetTimers();
    applyPending_ = false;
    values_.fill(0);
    // Each opening starts with empty fields, as a window made anew.
    for (const Field& f : kFields) controlAs<QLineEdit>(f.editId)->clear();
    RefreshMotorDialog();
}

void DLG_MOTOR_CONFIG::ConnectionLost()
{
    // Whatever APPLY was waiting for, it did not succeed.
    applyPending_ = false;
    RefreshMotorDialog();
}

void DLG_MOTOR_CONFIG::RefreshMotorDialog()
{
    bool e1 = false;
    bool e2 = false;
    const int type = host_.controlType();
    QString status;
    if (!host_.portOpen()) {
        status = QStringLiteral("  [OPEN] COM Port Open and Change Setting Value");
    } else if (host_.running()) {
        status = QStringLiteral("  [STOP] Control Motor");
    } else if (type == NoControl) {
        status = QStringLiteral("  [Select] Control Type");
    } else {
        status = QStringLiteral("  [SET] Motor Setting Value");
        e1 = true;
        e2 = type == SpeedControl;
    }
    controls_.setText(Status, status);
    controls_.setText(TypeLabel, type == SpeedControl      ? QStringLiteral("Speed")
                                 : type == PositionControl ? QStringLiteral("Position")
                                                           : QStringLiteral("( Select Type )"));

    const RegisterMap& regs = host_.registers();
    values_ = {regs.value(PoleCount),    regs.value(zentor::CurrentLimit), regs.value(zentor::AccelTime),
               regs.value(zentor::ReducerRatio), regs.value(zentor::MaxRpm), regs.value(zentor::DecelTime),
               regs.value(zentor::LockTime)};
    controls_.setText(PolesLabel, SettingText(MotorSetting::Poles, values_[0]));
    controls_.setText(CurrentLabel, SettingText(MotorSetting::CurrentLimit, values_[1]));
    controls_.setText(ReducerLabel, SettingText(MotorSetting::ReducerRatio, values_[3]));
    controls_.setText(MaxRpmLabel, SettingText(MotorSetting::MaxRpm, values_[4]));
    // The position driver's ramps are not these settings.
    const bool position = type == PositionControl;
    controls_.setText(AccelLabel, position ? QStringLiteral("(N/A)") : SettingText(MotorSetting::AccelTime, values_[2]));
    controls_.setText(DecelLabel, position ? QStringLiteral("(N/A)") : SettingText(MotorSetting::DecelTime, values_[5]));
    controls_.setText(LockLabel, SettingText(MotorSetting::LockTime, values_[6]));

    controls_.setEnabled({PolesEdit, PolesSet, CurrentEdit, CurrentSet, ReducerEdit, ReducerSet, MaxRpmEdit, MaxRpmSet,
                          LockEdit, LockSet, CheckSetting, Apply},
                         e1);
    controls_.setEnabled({AccelEdit, AccelSet, DecelEdit, DecelSet}, e2);
}

void DLG_MOTOR_CONFIG::OnTyped(const Field& f)
{
    auto* edit = controlAs<QLineEdit>(f.editId);
    if (!TypedTextAllowed(f.setting, edit->text())) edit->clear();
}

void DLG_MOTOR_CONFIG::OnSet(const Field& f)
{
    if (!BusyGuardPasses()) return;
    auto* edit = controlAs<QLineEdit>(f.editId);
    const SetDecision decision = DecideSet(f.setting, edit->text());
    if (decision.kind == SetDecision::Ignore) return;
    if (decision.kind == SetDecision::Refuse) {
        host_.notifier().message(this, decision.message);
        edit->clear();
        return;
    }
    PendingCommand& slot = host_.pending();
    slot.address = host_.registers().layout.registerOf(f.role);
    slot.value = decision.value;
    const bool linked = host_.linkPresent();
    host_.SendCommand(WriteSingle);
    StartReplyCheck(linked);
}

void DLG_MOTOR_CONFIG::OnApply()
{
    if (!BusyGuardPasses()) return;
    applyPending_ = true;
    PendingCommand& slot = host_.pending();
    slot.address = kApplySettingsRegister;
    slot.value = kApplySettingsValue;
    const bool linked = host_.linkPresent();
    host_.SendCommand(WriteSingle);
    // Nothing went out, so there will be no success to report.
    if (!linked || !host_.awaiting()) applyPending_ = false;
    StartReplyCheck(linked);
}

void DLG_MOTOR_CONFIG::OnCheckSetting()
{
    if (!BusyGuardPasses()) return;
    const bool linked = host_.linkPresent();
    host_.SendCommand(StatusRead);
    StartReplyCheck(linked);
}

void DLG_MOTOR_CONFIG::AfterReply()
{
    if (applyPending_) {
        applyPending_ = false;
        host_.notifier().message(this, QStringLiteral("Change aplied success"));
        return;
    }
    RefreshMotorDialog();
}

}  // namespace zentor::settings
