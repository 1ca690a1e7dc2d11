#pragma once
// The console's watching tools put on the main window: the Record group and the Traffic group
// with its launcher (also F9) of the traffic view, in the area given.

#include <QRect>

class QPushButton;
class QWidget;

namespace zentor {
class ConsoleHost;
}

namespace zentor::monitor {

class RecordPanel;
class TrafficWindow;

struct Monitors {
    RecordPanel* record = nullptr;
    TrafficWindow* traffic = nullptr;
    QPushButton* trafficButton = nullptr;
};

// Children of the host's window, living as long as it.
Monitors AttachMonitors(ConsoleHost& host, QRect area);

}  // namespace zentor::monitor
