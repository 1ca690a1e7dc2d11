#include "CaptionedGroup.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QResizeEvent>

namespace zentor::monitor {

CaptionedGroup::CaptionedGroup(const QString& caption, QWidget* parent) : QGroupBox(parent)
{
    setProperty("caption", caption);
    setAccessibleName(caption);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    auto* label = new QLabel(caption, this);
    QFont bold = QApplication::font();
    bold.setPixelSize(12);
    bold.setBold(true);
    label->setFont(bold);
    label->setGeometry(6, 4, 180, 20);
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("captionLine"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setGeometry(8, 25, 100, 1);
}

void CaptionedGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    if (auto* line = findChild<QFrame*>(QStringLiteral("captionLine"), Qt::FindDirectChildrenOnly))
        line->setGeometry(8, 25, event->size().width() - 16, 1);
}

}  // namespace zentor::monitor
