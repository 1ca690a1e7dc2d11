#pragma once
// DLG_MOTOR_CONFIG, "Motor Setting Configuration": reads and writes the driver's seven motor
// settings, one single-register write per SET, takes them over with APPLY and reads them back
// with "Check Setting". It sends through the main window's command slot while communication
// is stopped, and shows the values of the main window's register mirror.

#include "MotorSettingRules.h"
#include "SettingsDialog.h"

#include <array>

class QLineEdit;

namespace zentor::settings {

class DLG_MOTOR_CONFIG : public SettingsDialog {
    Q_OBJECT
public:
    explicit DLG_MOTOR_CONFIG(ConsoleHost& host, QWidget* parent = nullptr);

    // SecondaryWindow
    void Initialise() override;
    void ConnectionLost() override;

    // Status line, enabling and labels from the main window's state and registers.
    void RefreshMotorDialog();

    // In this order: poles, current limit, acceleration time, reduction ratio, maximum RPM,
    // deceleration time, lock time; copied from the registers by every refresh.
    const std::array<uint16_t, 7>& motorSettingValues() const { return values_; }
    bool applyPending() const { return applyPending_; }

private:
    struct Field {
        MotorSetting setting;
        int editId;
        int setId;
        int role;
        const char* caption;
    };
    static const std::array<Field, 7> kFields;

    void buildWindow();
    void OnTyped(const Field& field);
    void OnSet(const Field& field);
    void OnApply();
    void OnCheckSetting();
    void AfterReply() override;

    bool applyPending_ = false;
    std::array<uint16_t, 7> values_{};
};

}  // namespace zentor::settings
