#include "Monitors.h"

#include "CaptionedGroup.h"
#include "ConsoleHost.h"
#include "RecordPanel.h"
#include "TrafficWindow.h"

#include <QPushButton>
#include <QShortcut>

namespace zentor::monitor {

Monitors AttachMonitors(ConsoleHost& host, QRect area)
{
    QWidget* window = host.hostWidget();
    Monitors m;
    constexpr int kTrafficHeight = 72;
    constexpr int kGap = 8;
    m.record = new RecordPanel(host, window);
    m.record->setGeometry(area.x(), area.y(), area.width(), area.height() - kTrafficHeight - kGap);

    auto* group = new CaptionedGroup(QStringLiteral("Traffic"), window);
    group->setGeometry(area.x(), area.bottom() + 1 - kTrafficHeight, area.width(), kTrafficHeight);
    m.trafficButton = new QPushButton(QStringLiteral("Traffic View"), group);
    m.trafficButton->setGeometry(10, CaptionedGroup::kTop, area.width() - 20, 30);
    m.trafficButton->setAutoDefault(false);
    m.trafficButton->setToolTip(
        QStringLiteral("Every frame written and every answer taken, with its check and round trip (F9)"));

    m.traffic = new TrafficWindow(host, window);
    TrafficWindow* traffic = m.traffic;
    QObject::connect(m.trafficButton, &QPushButton::clicked, traffic, &TrafficWindow::Open);
    auto* key = new QShortcut(QKeySequence(Qt::Key_F9), window);
    QObject::connect(key, &QShortcut::activated, traffic, &TrafficWindow::Open);
    return m;
}

}  // namespace zentor::monitor
