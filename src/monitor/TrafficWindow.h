#pragma once
// The traffic view: a window that lists every frame the console writes and every answer it
// takes, decoded, with the answer's check and round trip. Pause, Clear, Copy (the selected rows)
// and Save as CSV. It watches the line only while it is shown.

#include "TrafficModel.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace zentor {
class ConsoleHost;
}

namespace zentor::monitor {

class TrafficWindow final : public QDialog {
    Q_OBJECT
public:
    // The table moves at most once in this time: painting it is what costs, not keeping rows.
    // Frames after a quiet spell appear at once.
    static constexpr int kRefreshMs = 1000;

    TrafficWindow(ConsoleHost& host, QWidget* parent);
    ~TrafficWindow() override;

    // Shows the window, or brings it to the front when it is shown already.
    void Open();

    TrafficModel& model() { return model_; }
    QTableView* table() const { return table_; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* copyButton() const { return copy_; }
    QPushButton* saveButton() const { return save_; }
    QString statusText() const;
    bool watching() const { return listener_ != 0; }

    // The buttons' actions. Copy puts the selected rows on the clipboard, tab-separated, and
    // returns that text.
    void SetPaused(bool paused);
    void Clear();
    QString Copy();
    void Save();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void watch();
    void unwatch();
    void onTraffic(const TrafficEvent& e);
    void refreshStatus();
    // Shows the rows waiting, at once or at the end of the refresh interval.
    void showSoon();
    void showNow();

    ConsoleHost& host_;
    TrafficModel model_;
    QTableView* table_;
    QPushButton* pause_;
    QPushButton* clear_;
    QPushButton* copy_;
    QPushButton* save_;
    QLabel* status_;
    int listener_ = 0;
    int64_t openedAtUs_ = -1;  // when the port of the frames was opened
    bool followEnd_ = true;    // the table was at its end before rows came: it stays there
    int64_t shownAtMs_ = -kRefreshMs;  // when the table last moved
    bool showDue_ = false;             // a move is asked for at the end of the interval
};

}  // namespace zentor::monitor
