#pragma once
// The recording of status reads: while it runs, every status read the main window applies
// becomes one CSV row of the file (time, decoded quantities, raw registers), written whole as
// it comes. A write that fails ends it with the file cut back to its last whole row.

#include "RecordFile.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace zentor {
class ConsoleHost;
}

namespace zentor::monitor {

class StatusRecorder {
public:
    explicit StatusRecorder(ConsoleHost& host);
    ~StatusRecorder();
    StatusRecorder(const StatusRecorder&) = delete;
    StatusRecorder& operator=(const StatusRecorder&) = delete;

    // Creates the file with its header row for the current control type and listens to the
    // status reads. False when the file cannot be written (error() says why) or no control
    // type is chosen.
    bool start(const QString& path);
    void stop();

    bool recording() const { return listener_ != 0; }
    QString path() const { return file_.path(); }
    int64_t rows() const { return rows_; }
    // Why the last start failed or the recording ended by itself.
    QString error() const { return error_; }

    // After every row written.
    std::function<void()> onRow;
    // The recording ended by itself (a failed write, a change of control type); error() says
    // why. Called after it has stopped.
    std::function<void()> onEnded;

private:
    void statusRead();
    void end(const QString& why);

    ConsoleHost& host_;
    record::RecordFile file_;
    int listener_ = 0;
    int controlType_ = 0;
    int64_t rows_ = 0;
    int64_t startedAtMs_ = 0;
    QDateTime startedAt_;
    QString error_;
};

}  // namespace zentor::monitor
