#pragma once
// DLG_COM_CONFIG, "Communication Setting Configuration": the address the console sends to
// (PC side), the address the driver answers to (device side: asked with ID Check, written with
// ID Change) and the baud rate of the next open, which is also stored in the configuration
// file. It reaches the main window only through ConsoleHost.

#include "SettingsDialog.h"

namespace zentor::settings {

class DLG_COM_CONFIG : public SettingsDialog {
    Q_OBJECT
public:
    explicit DLG_COM_CONFIG(ConsoleHost& host, QWidget* parent = nullptr);

    // SecondaryWindow
    void Initialise() override;
    void ConnectionLost() override { RefreshComDialog(); }

    // IDs, line settings, status line and enabling from the main window's state.
    void RefreshComDialog();

    // The rates offered, in this order.
    static const QStringList& BaudRates();

private:
    void buildWindow();
    void OnIdTyped(int editId, int echoId);
    void OnPcIdChange();
    void OnIdCheck();
    void OnDeviceIdChange();
    void OnCloseComPort();
    void OnBaudChange();
    void AfterReply() override { RefreshComDialog(); }
};

}  // namespace zentor::settings
