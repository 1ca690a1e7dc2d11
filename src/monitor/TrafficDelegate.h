#pragma once
// How the traffic view paints a cell: its text on one line in the colour and font the model
// gives, the bytes shortened by whole characters; about half the cost of the style's elided
// item text, which the table would otherwise lay out again for every cell at every move.

#include <QStyledItemDelegate>

namespace zentor::monitor {

class TrafficDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace zentor::monitor
