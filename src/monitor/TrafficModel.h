#pragma once
// The traffic view's table: a ring of the last 10,000 rows, appended at the end and dropped
// from the front as the ring turns. Paused, the table stops moving while new rows are still
// kept; they appear when it goes on.

#include "RowRing.h"
#include "TrafficRows.h"

#include <QAbstractTableModel>

namespace zentor::monitor {

class TrafficModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCapacity = 10000;

    explicit TrafficModel(QObject* parent = nullptr, int capacity = kCapacity);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void append(TrafficRow row);
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // Drops every row, shown or kept while paused.
    void clear();

    // The row shown at a table row; the caller has checked the row against rowCount().
    const TrafficRow& rowAt(int row) const { return ring_.at(shownFirst_ + row); }
    // Every row kept, shown or not yet (while paused), oldest first.
    int keptCount() const { return ring_.size(); }
    const TrafficRow& keptAt(int i) const { return ring_.at(ring_.first() + i); }
    // Rows kept while paused that the table does not show yet.
    int waiting() const { return static_cast<int>(ring_.end() - shownEnd_); }

private:
    RowRing<TrafficRow> ring_;
    // The table shows the rows with sequence numbers shownFirst_ .. shownEnd_ - 1.
    int64_t shownFirst_ = 0;
    int64_t shownEnd_ = 0;
    bool paused_ = false;
};

}  // namespace zentor::monitor
