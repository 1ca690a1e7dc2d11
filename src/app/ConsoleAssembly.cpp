#include "ConsoleAssembly.h"

#include "ControlIds.h"
#include "MotorConfigDlg.h"
#include "ZentorDlg.h"

namespace zentor {

void AssembleConsole(CZentorDlg& window)
{
    using namespace settings;
    window.AttachWindow(ids::MotorConfig, new DLG_MOTOR_CONFIG(window, &window));
}

}  // namespace zentor
