#include "StatusRecorder.h"

#include "ConsoleHost.h"
#include "CsvText.h"
#include "StatusRecord.h"

namespace zentor::monitor {

StatusRecorder::StatusRecorder(ConsoleHost& host) : host_(host) {}

StatusRecorder::~StatusRecorder() { stop(); }

bool StatusRecorder::start(const QString& path)
{
    stop();
    error_.clear();
    rows_ = 0;
    controlType_ = host_.controlType();
    if (record::ControlTypeWord(controlType_).isEmpty()) {
        error_ = QStringLiteral("No control type is chosen: the columns of a recording follow it.");
        return false;
    }
    if (!file_.open(path) ||
        !file_.append(record::CsvLine(record::StatusRecordHeader(controlType_)).toUtf8())) {
        error_ = file_.error();
        file_.close();
        return false;
    }
    // Row times are the start's wall-clock time plus the console's steady clock: they never go
    // back when the system's clock is set.
    startedAt_ = QDateTime::currentDateTime();
    startedAtMs_ = host_.clock().nowMs();
    listener_ = host_.AddStatusListener([this] { statusRead(); });
    return true;
}

void StatusRecorder::stop()
{
    if (listener_) host_.RemoveStatusListener(listener_);
    listener_ = 0;
    file_.close();
}

void StatusRecorder::statusRead()
{
    // A row of another layout would not fit the header's columns.
    if (host_.controlType() != controlType_) {
        end(QStringLiteral("The control type changed; %1 rows are in %2.").arg(rows_).arg(file_.path()));
        return;
    }
    const int64_t elapsed = host_.clock().nowMs() - startedAtMs_;
    const QStringList fields =
        record::StatusRecordFields(host_.registers(), controlType_, startedAt_.addMSecs(elapsed), elapsed);
    if (!file_.append(record::CsvLine(fields).toUtf8())) {
        end(QStringLiteral("%1\nThe %2 rows before it are kept.").arg(file_.error()).arg(rows_));
        return;
    }
    ++rows_;
    if (onRow) onRow();
}

void StatusRecorder::end(const QString& why)
{
    stop();
    error_ = why;
    if (onEnded) onEnded();
}

}  // namespace zentor::monitor
