#include "ConsoleAssembly.h"

#include "ZentorDlg.h"

namespace zentor {

void AssembleConsole(CZentorDlg&) {}

}  // namespace zentor
