#include "TrafficDelegate.h"

#include "TrafficRows.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace zentor::monitor {

void TrafficDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) painter->fillRect(option.rect, option.palette.brush(QPalette::Active, QPalette::Highlight));
    if (text.isEmpty()) return;
    QColor colour = option.palette.color(QPalette::Text);
    if (selected) {
        colour = option.palette.color(QPalette::Active, QPalette::HighlightedText);
    } else if (const QVariant brush = index.data(Qt::ForegroundRole); brush.isValid()) {
        colour = brush.value<QBrush>().color();
    }
    const QVariant fontRole = index.data(Qt::FontRole);
    const QFont font = fontRole.isValid() ? fontRole.value<QFont>() : option.font;
    const QRect area = option.rect.adjusted(4, 0, -4, 0);
    // The bytes (of fixed pitch) end in an ellipsis where they do not fit, counted in
    // characters; other text is cut at the cell's edge.
    QString shown = text;
    if (index.column() == BytesColumn) {
        const qreal advance = std::max<qreal>(1, QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')));
        const int fits = int(area.width() / advance);
        if (shown.size() > fits) shown = shown.left(std::max(0, fits - 1)) + QChar(0x2026);
    }
    const QVariant align = index.data(Qt::TextAlignmentRole);
    const Qt::Alignment alignment =
        align.isValid() ? Qt::Alignment(align.toInt()) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(colour);
    painter->setFont(font);
    painter->drawText(area, int(alignment) | Qt::TextSingleLine, shown);
    painter->restore();
}

}  // namespace zentor::monitor
