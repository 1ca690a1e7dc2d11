#include "StatusLine.h"

#include "PanelColours.h"

#include <QPainter>

namespace zentor::settings {

StatusLine::StatusLine(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumHeight(fontMetrics().height() + 10);
    // Read as text by a screen reader; the text is what it says, not a heading of controls.
    setTextFormat(Qt::PlainText);
}

void StatusLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), panel::kStatusBlue);
    p.setPen(Qt::white);
    p.setFont(font());
    // The leading blanks of the texts are part of their look: they are drawn, not trimmed.
    p.drawText(rect().adjusted(4, 0, -4, 0), int(alignment()) | Qt::TextSingleLine, text());
}

}  // namespace zentor::settings
