#pragma once
// A ring of the last N rows, each known by its sequence number (counted from the first row
// ever added, never reused), so a view can tell which of the rows it shows are still kept.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zentor::monitor {

template <class Row>
class RowRing {
public:
    explicit RowRing(int capacity) : rows_(static_cast<std::size_t>(capacity > 0 ? capacity : 1)) {}

    int capacity() const { return static_cast<int>(rows_.size()); }
    int size() const { return static_cast<int>(end_ - first_); }
    bool full() const { return size() == capacity(); }
    // Sequence numbers of the oldest row kept and of the next row to come.
    int64_t first() const { return first_; }
    int64_t end() const { return end_; }
    bool holds(int64_t seq) const { return seq >= first_ && seq < end_; }
    // The row with that sequence number; the caller has checked holds(seq).
    const Row& at(int64_t seq) const { return rows_[static_cast<std::size_t>(seq % capacity())]; }

    // Drops the oldest row; nothing when empty.
    void popFront()
    {
        if (end_ == first_) return;
        rows_[static_cast<std::size_t>(first_ % capacity())] = Row();
        ++first_;
    }
    // Appends a row; when full the oldest is dropped first.
    void push(Row row)
    {
        if (full()) popFront();
        rows_[static_cast<std::size_t>(end_ % capacity())] = std::move(row);
        ++end_;
    }
    // Drops every row; sequence numbers go on from where they were.
    void clear()
    {
        while (first_ < end_) popFront();
    }

private:
    std::vector<Row> rows_;
    int64_t first_ = 0;
    int64_t end_ = 0;
};

}  // namespace zentor::monitor
