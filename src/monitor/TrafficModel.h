#pragma once
// The traffic view's table: the last 10,000 rows in a ring. New rows wait until the table is
// brought up to date (showNew), which appends them at the end and drops as many from the front
// as the ring must, each as one change: the owner decides how often the table moves. Paused,
// the table stands still and new rows keep waiting; they appear when it goes on.

#include "RowRing.h"
#include "TrafficRows.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QFont>
#include <deque>

namespace zentor::monitor {

class TrafficModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCapacity = 10000;
    // Bytes of a frame the table shows; more than its column holds at any usual width.
    static constexpr int kBytesShown = 40;

    explicit TrafficModel(QObject* parent = nullptr, int capacity = kCapacity);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Keeps a row; it waits for showNew(). Of the rows waiting, only the last capacity are kept.
    void append(TrafficRow row);
    // Brings the table up to date with the rows waiting, unless paused.
    void showNew();
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // Drops every row, shown or waiting.
    void clear();

    // The row shown at a table row; the caller has checked the row against rowCount().
    const TrafficRow& rowAt(int row) const { return shown_.at(shown_.first() + row); }
    // Every row kept, shown or waiting, oldest first: the last capacity rows that came.
    int keptCount() const;
    const TrafficRow& keptAt(int i) const;
    // Rows kept that the table does not show yet.
    int waiting() const { return static_cast<int>(waiting_.size()); }

private:
    int capacity_;
    RowRing<TrafficRow> shown_;
    std::deque<TrafficRow> waiting_;
    bool paused_ = false;
    // What painting asks for again and again, made once.
    QFont fixedFont_;
    QBrush refusedBrush_;
    QBrush notAwaitedBrush_;
    QBrush eventBrush_;
};

}  // namespace zentor::monitor
