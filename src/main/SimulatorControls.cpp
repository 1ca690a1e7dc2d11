#include "SimulatorControls.h"

#include "ControlIds.h"
#include "SimPort.h"
#include "ZentorDlg.h"

#include <QAction>
#include <QComboBox>
#include <QShortcut>

namespace zentor {

SimulatorControls::SimulatorControls(CZentorDlg& window, sim::SimPortProvider& ports, QStringList names)
    : QObject(&window), window_(window), ports_(ports), names_(std::move(names))
{
    window_.setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const QString& name : names_) {
        auto* action = new QAction(&window_);
        action->setData(name);
        connect(action, &QAction::triggered, this, [this, name] { toggle(name); });
        window_.addAction(action);
    }
    updateCaptions();
    connect(&window_.portWatcher(), &PortWatcher::appeared, this, &SimulatorControls::updateCaptions);
    connect(&window_.portWatcher(), &PortWatcher::disappeared, this, &SimulatorControls::updateCaptions);
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F8), &window_);
    connect(shortcut, &QShortcut::activated, this, [this] {
        // F8 pulls out the open simulated port, else the one selected; and plugs back the
        // first one that is out.
        QString name;
        if (window_.link && names_.contains(window_.link->portName)) name = window_.link->portName;
        const QString selected = window_.controlAs<QComboBox>(ids::ComPortList)->currentText();
        if (name.isEmpty() && names_.contains(selected)) name = selected;
        if (name.isEmpty())
            for (const QString& n : names_)
                if (!ports_.isPresent(n)) { name = n; break; }
        if (!name.isEmpty()) toggle(name);
    });
    window_.control(ids::ComPortList)
        ->setToolTip(QStringLiteral("Simulated ports: right-click the window or press F8 to pull one out or plug it in"));
}

void SimulatorControls::toggle(const QString& name)
{
    if (ports_.isPresent(name)) {
        ports_.pull(name);
    } else {
        ports_.plugIn(name);
    }
    // The port list notices at its next look; the open port's own failure arrives at once.
    window_.portWatcher().check();
    updateCaptions();
}

void SimulatorControls::updateCaptions()
{
    for (QAction* action : window_.actions()) {
        const QString name = action->data().toString();
        if (!names_.contains(name)) continue;
        action->setText(ports_.isPresent(name) ? QStringLiteral("Pull out %1").arg(name)
                                               : QStringLiteral("Plug in %1").arg(name));
    }
}

}  // namespace zentor
