#pragma once
// The Record group of the main window: Record... asks for a CSV file and starts recording every
// status read into it, Stop ends it; the file and the rows written so far are shown while it
// runs. A recording that ends by itself says why in a message.

#include "CaptionedGroup.h"
#include "StatusRecorder.h"

class QLabel;
class QPushButton;

namespace zentor {
class ConsoleHost;
}

namespace zentor::monitor {

class RecordPanel final : public CaptionedGroup {
    Q_OBJECT
public:
    RecordPanel(ConsoleHost& host, QWidget* parent);

    StatusRecorder& recorder() { return recorder_; }
    QPushButton* recordButton() const { return record_; }
    QPushButton* stopButton() const { return stop_; }
    QString stateText() const;
    QString fileText() const;
    QString rowsText() const;

    // The buttons' actions.
    void Record();
    void Stop();

private:
    void refresh();

    ConsoleHost& host_;
    StatusRecorder recorder_;
    QPushButton* record_;
    QPushButton* stop_;
    QLabel* state_;
    QLabel* file_;
    QLabel* rows_;
    QString lastPath_;
};

}  // namespace zentor::monitor
