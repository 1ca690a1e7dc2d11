#include "TrafficModel.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>

namespace zentor::monitor {

TrafficModel::TrafficModel(QObject* parent, int capacity) : QAbstractTableModel(parent), ring_(capacity) {}

int TrafficModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shownEnd_ - shownFirst_);
}

int TrafficModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kTrafficColumns; }

QVariant TrafficModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const TrafficRow& r = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        // The text of a cell is made when it is shown, never for rows nobody looks at.
        return TrafficCell(r, index.column());
    case Qt::ForegroundRole:
        // A refused answer stands out; a frame nobody awaited less so.
        if (r.kind == TrafficRow::Answer && r.check != Applied) return QBrush(r.check == 0 ? QColor(150, 100, 0) : QColor(190, 0, 0));
        if (r.kind == TrafficRow::Request && r.written < r.bytes.size()) return QBrush(QColor(190, 0, 0));
        if (r.kind == TrafficRow::PortOpened || r.kind == TrafficRow::PortClosed || r.kind == TrafficRow::Gap)
            return QBrush(QColor(90, 90, 90));
        return {};
    case Qt::FontRole:
        if (index.column() == BytesColumn) return QFontDatabase::systemFont(QFontDatabase::FixedFont);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == TimeColumn || index.column() == RoundTripColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return TrafficColumnTitle(section);
}

void TrafficModel::append(TrafficRow row)
{
    if (ring_.full()) {
        // The oldest row leaves the ring: out of the table first if the table shows it.
        const int64_t leaving = ring_.first();
        if (leaving >= shownFirst_ && leaving < shownEnd_) {
            beginRemoveRows({}, 0, 0);
            ring_.popFront();
            shownFirst_ = leaving + 1;
            endRemoveRows();
        } else {
            ring_.popFront();
            if (shownFirst_ <= leaving) shownFirst_ = shownEnd_ = leaving + 1;
        }
    }
    if (paused_) {
        ring_.push(std::move(row));
        return;
    }
    const int at = rowCount();
    beginInsertRows({}, at, at);
    ring_.push(std::move(row));
    shownEnd_ = ring_.end();
    endInsertRows();
}

void TrafficModel::setPaused(bool paused)
{
    if (paused_ == paused) return;
    paused_ = paused;
    if (paused_ || shownEnd_ == ring_.end()) return;
    if (shownFirst_ < ring_.first()) shownFirst_ = shownEnd_ = ring_.first();
    const int at = rowCount();
    beginInsertRows({}, at, at + static_cast<int>(ring_.end() - shownEnd_) - 1);
    shownEnd_ = ring_.end();
    endInsertRows();
}

void TrafficModel::clear()
{
    beginResetModel();
    ring_.clear();
    shownFirst_ = shownEnd_ = ring_.end();
    endResetModel();
}

}  // namespace zentor::monitor
