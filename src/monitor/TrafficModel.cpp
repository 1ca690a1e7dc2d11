#include "TrafficModel.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>
#include <algorithm>

namespace zentor::monitor {

namespace {

// The system's fixed-pitch font, else one of the fixed-pitch fonts Windows or Linux carries:
// under Wine the system's (Courier New) is missing and would fall back to a serif.
QFont BytesFont()
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setFamilies({f.family(), QStringLiteral("Consolas"), QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"),
                   QStringLiteral("Liberation Mono")});
    f.setStyleHint(QFont::Monospace);
    return f;
}

}  // namespace

TrafficModel::TrafficModel(QObject* parent, int capacity)
    : QAbstractTableModel(parent),
      capacity_(capacity > 0 ? capacity : 1),
      shown_(capacity_),
      fixedFont_(BytesFont()),
      refusedBrush_(QColor(190, 0, 0)),
      notAwaitedBrush_(QColor(150, 100, 0)),
      eventBrush_(QColor(90, 90, 90))
{
}

int TrafficModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_.size(); }

int TrafficModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kTrafficColumns; }

QVariant TrafficModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const TrafficRow& r = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        // The text of a cell is made when it is shown, never for rows nobody looks at. A long
        // frame shows its first bytes; the tool tip, Copy and the CSV file have them all.
        if (index.column() == BytesColumn && r.bytes.size() > kBytesShown)
            return HexBytes(r.bytes.left(kBytesShown)) + QStringLiteral(" ... (%1 bytes)").arg(r.bytes.size());
        return TrafficCell(r, index.column());
    case Qt::ToolTipRole:
        if (index.column() == BytesColumn && r.bytes.size() > kBytesShown) return TrafficCell(r, index.column());
        return {};
    case Qt::ForegroundRole:
        // A refused answer stands out; a frame nobody awaited less so.
        if (r.kind == TrafficRow::Answer && r.check != Applied) return r.check == 0 ? notAwaitedBrush_ : refusedBrush_;
        if (r.kind == TrafficRow::Request && r.written < r.bytes.size()) return refusedBrush_;
        if (r.kind == TrafficRow::PortOpened || r.kind == TrafficRow::PortClosed || r.kind == TrafficRow::Gap)
            return eventBrush_;
        return {};
    case Qt::FontRole:
        if (index.column() == BytesColumn) return fixedFont_;
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
    waiting_.push_back(std::move(row));
    if (static_cast<int>(waiting_.size()) > capacity_) waiting_.pop_front();
}

void TrafficModel::showNew()
{
    if (paused_ || waiting_.empty()) return;
    const int coming = static_cast<int>(waiting_.size());
    // The oldest rows leave the ring first, in one change, then the new ones come in one.
    const int leaving = std::min(shown_.size(), std::max(0, shown_.size() + coming - capacity_));
    if (leaving > 0) {
        beginRemoveRows({}, 0, leaving - 1);
        for (int i = 0; i < leaving; ++i) shown_.popFront();
        endRemoveRows();
    }
    const int at = shown_.size();
    beginInsertRows({}, at, at + coming - 1);
    for (TrafficRow& r : waiting_) shown_.push(std::move(r));
    waiting_.clear();
    endInsertRows();
}

void TrafficModel::setPaused(bool paused)
{
    if (paused_ == paused) return;
    paused_ = paused;
    showNew();
}

void TrafficModel::clear()
{
    beginResetModel();
    shown_.clear();
    waiting_.clear();
    endResetModel();
}

int TrafficModel::keptCount() const { return std::min(capacity_, shown_.size() + waiting()); }

const TrafficRow& TrafficModel::keptAt(int i) const
{
    // Shown rows the waiting ones will push out of the ring are no longer kept.
    const int skipped = shown_.size() + waiting() - keptCount();
    const int at = skipped + i;
    if (at < shown_.size()) return shown_.at(shown_.first() + at);
    return waiting_[static_cast<size_t>(at - shown_.size())];
}

}  // namespace zentor::monitor
