#pragma once
// Tells which ports appeared or disappeared, by name. It looks at the list only when its
// provider reports a change (or when asked), at a moment the window chooses, so an idle
// console costs nothing and a poll cycle is never held up by a look at the system's ports.
// Device paths the operator typed are watched by their own folders. The open port's own
// failure is reported by its link, at once.

#include "Clock.h"
#include "PortProvider.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QFileSystemWatcher;

namespace zentor {

class PortWatcher : public QObject {
    Q_OBJECT
public:
    // Device nodes come in small bursts (a node, then its links): a look waits this long for
    // them to settle.
    static constexpr int kSettleMs = 50;

    // known: the ports as listed at start-up, so that they are not listed twice.
    PortWatcher(Clock& clock, PortProvider& ports, QStringList known, QObject* parent = nullptr);
    ~PortWatcher() override;

    // Compares the list now.
    void check();
    // The ports listed at the last look, then the typed paths that exist.
    QStringList known() const;

    // A device path typed by the operator: listed while it exists, and watched so that its
    // disappearance is noticed.
    void addTypedPath(const QString& path);

    // How a look is put off to a quiet moment: given the look, runs it soon. By default after
    // a short settling time.
    void setDeferral(std::function<void(std::function<void()>)> runWhenQuiet) { runWhenQuiet_ = std::move(runWhenQuiet); }

signals:
    void appeared(const QString& name);
    void disappeared(const QString& name);

private:
    void changed();
    // Emits what came and went since the last look; listSystem also asks for the port list.
    void compare(bool listSystem);
    QStringList typedPresent() const;

    Clock& clock_;
    PortProvider& ports_;
    QStringList listed_;
    QStringList typed_;
    QStringList typedKnown_;
    bool lookPending_ = false;
    std::function<void(std::function<void()>)> runWhenQuiet_;
    std::unique_ptr<QFileSystemWatcher> folders_;
};

}  // namespace zentor
