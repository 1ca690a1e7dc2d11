#include "ConsoleAssembly.h"

#include "ControlIds.h"
#include "SequenceTestDlg.h"
#include "ZentorDlg.h"

namespace zentor {

void AssembleConsole(CZentorDlg& window)
{
    window.AttachWindow(ids::SequenceTest, new DLG_SEQ_TEST(window, &window));
}

}  // namespace zentor
