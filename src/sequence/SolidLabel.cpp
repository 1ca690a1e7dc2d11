#include "SolidLabel.h"

#include <QPainter>

namespace zentor {

SolidLabel::SolidLabel(const QColor& background, const QColor& textColour, QWidget* parent)
    : QLabel(parent), background_(background), text_(textColour)
{
    setTextFormat(Qt::PlainText);
}

void SolidLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(text_);
    p.setFont(font());
    // Leading blanks belong to the texts' look: they are drawn, not trimmed.
    p.drawText(rect().adjusted(4, 0, -4, 0), int(alignment()) | Qt::TextSingleLine, text());
}

}  // namespace zentor
