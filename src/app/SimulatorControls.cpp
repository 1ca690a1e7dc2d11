#include "SimulatorControls.h"

#include "ConsoleHost.h"
#include "ControlIds.h"
#include "SimPort.h"

#include <QAction>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace zentor {

SimulatorControls::SimulatorControls(ConsoleHost& host, sim::SimPortProvider& ports, QStringList names)
    : QObject(host.hostWidget()), host_(host), ports_(ports), names_(std::move(names))
{
    QWidget* window = host_.hostWidget();
    // The menu's captions are brought up to date whenever it opens.
    window->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(window, &QWidget::customContextMenuRequested, this, [this, window](const QPoint& at) {
        updateCaptions();
        QMenu::exec(window->actions(), window->mapToGlobal(at), nullptr, window);
    });
    for (const QString& name : names_) {
        auto* action = new QAction(window);
        action->setData(name);
        connect(action, &QAction::triggered, this, [this, name] { toggle(name); });
        window->addAction(action);
    }
    // The driver's own fault, as a drive reports it: the RPM digits blink the fault pattern
    // until the driver is stopped (STOP, or reset LOW).
    for (const QString& name : names_) {
        auto* action = new QAction(window);
        action->setData(name);
        action->setProperty("alarm", true);
        connect(action, &QAction::triggered, this, [this, name] { toggleAlarm(name); });
        window->addAction(action);
    }
    // A line fault to watch in the traffic view: every answer arrives with a spoilt checksum.
    for (const QString& name : names_) {
        auto* action = new QAction(window);
        action->setData(name);
        action->setProperty("checksum", true);
        connect(action, &QAction::triggered, this, [this, name] { toggleChecksum(name); });
        window->addAction(action);
    }
    updateCaptions();
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F8), window);
    connect(shortcut, &QShortcut::activated, this, [this] {
        // F8 pulls out the open simulated port, else the one selected; and plugs back the
        // first one that is out.
        QString name;
        if (names_.contains(host_.openPortName())) name = host_.openPortName();
        if (name.isEmpty() && names_.contains(host_.chosenPortName())) name = host_.chosenPortName();
        if (name.isEmpty())
            for (const QString& n : names_)
                if (!ports_.isPresent(n)) {
                    name = n;
                    break;
                }
        if (!name.isEmpty()) toggle(name);
    });
    if (auto* list = window->findChild<QWidget*>(QString::number(ids::ComPortList), Qt::FindDirectChildrenOnly))
        list->setToolTip(list->toolTip() +
                         QStringLiteral("\nSimulated ports: right-click the window or press F8 to pull one out or plug it in"));
}

void SimulatorControls::toggle(const QString& name)
{
    if (ports_.isPresent(name)) {
        ports_.pull(name);
    } else {
        ports_.plugIn(name);
    }
    // The port list notices at its next look; the open port's own failure arrives at once.
    host_.CheckPorts();
    updateCaptions();
}

void SimulatorControls::toggleAlarm(const QString& name)
{
    const auto driver = ports_.driver(name);
    if (!driver) return;
    if (driver->reg(driver->registerOf(AlarmState)) != 0) {
        driver->clearAlarm();
    } else {
        driver->raiseAlarm(kAlarmCode);
    }
    updateCaptions();
}

void SimulatorControls::toggleChecksum(const QString& name)
{
    const auto driver = ports_.driver(name);
    if (!driver) return;
    driver->faults().badChecksum = !driver->faults().badChecksum;
    updateCaptions();
}

void SimulatorControls::updateCaptions()
{
    // Simulated ports and their alarms change only through these controls (an alarm also
    // ends when the driver is stopped), so the captions are set here and when the menu opens.
    for (QAction* action : host_.hostWidget()->actions()) {
        const QString name = action->data().toString();
        if (!names_.contains(name)) continue;
        if (action->property("checksum").toBool()) {
            const auto driver = ports_.driver(name);
            const bool spoilt = driver && driver->faults().badChecksum;
            action->setText(spoilt ? QStringLiteral("Mend the checksums of %1's answers").arg(name)
                                   : QStringLiteral("Spoil the checksums of %1's answers").arg(name));
            continue;
        }
        if (action->property("alarm").toBool()) {
            const auto driver = ports_.driver(name);
            const bool raised = driver && driver->reg(driver->registerOf(AlarmState)) != 0;
            action->setText(raised ? QStringLiteral("End the alarm of %1").arg(name)
                                   : QStringLiteral("Raise an alarm on %1").arg(name));
            continue;
        }
        action->setText(ports_.isPresent(name) ? QStringLiteral("Pull out %1").arg(name)
                                               : QStringLiteral("Plug in %1").arg(name));
    }
}

}  // namespace zentor
