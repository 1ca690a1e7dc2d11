#pragma once
// The console put together: the windows the main window's launchers open, the model list
// panel of "Info." and the Record and Traffic groups, attached to a main window. The program
// and the window tests assemble the console the same way.

namespace zentor {

class CZentorDlg;

// Creates the secondary windows as children of the window (they live as long as it) and
// attaches them to its launchers.
void AssembleConsole(CZentorDlg& window);

}  // namespace zentor
