#pragma once
// Ctrl-C and SIGTERM for a program that sleeps in its event loop: the signal is turned into a
// call on the loop's thread, and nothing wakes the program while no signal comes.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace zentor::cli {

class StopSignal {
public:
    // onStop runs on the event loop's thread after a signal (once for signals that come together).
    explicit StopSignal(std::function<void()> onStop);
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // Installs the handlers of SIGINT and SIGTERM; false with the reason when it cannot.
    bool install(QString* error);

private:
    void drain();

    std::function<void()> onStop_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QObject context_;
};

}  // namespace zentor::cli
