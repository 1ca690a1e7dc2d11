#include "ConsoleAssembly.h"

#include "ComConfigDlg.h"
#include "ControlIds.h"
#include "InfoDlg.h"
#include "Monitors.h"
#include "MotorConfigDlg.h"
#include "SequenceTestDlg.h"
#include "ZentorDlg.h"

namespace zentor {

void AssembleConsole(CZentorDlg& window)
{
    using namespace settings;
    window.AttachWindow(ids::ComConfig, new DLG_COM_CONFIG(window, &window));
    window.AttachWindow(ids::MotorConfig, new DLG_MOTOR_CONFIG(window, &window));
    window.AttachWindow(ids::SequenceTest, new DLG_SEQ_TEST(window, &window));
    // The model list as it stands when the panel is made.
    window.SetInfoPanelMaker([&window](QWidget* parent) { return new DLG_INFO(window.stores().modelList, parent); });
    // The Record and Traffic groups, in the free area right of the rotor angle dial.
    monitor::AttachMonitors(window, QRect(452, 442, 192, 232));
}

}  // namespace zentor
