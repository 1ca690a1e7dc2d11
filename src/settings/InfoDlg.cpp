#include "InfoDlg.h"

#include "ModelListLines.h"
#include "SettingsIds.h"
#include "StatusLine.h"

#include <QListWidget>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zentor::settings {

using namespace info_ids;

DLG_INFO::DLG_INFO(std::span<const QString> modelList, QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setAutoFillBackground(true);
    resize(250, 340);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(6);
    auto* heading = new StatusLine(QStringLiteral("Selectable Model List"), this);
    heading->setAlignment(Qt::AlignCenter);
    controls_.add(Heading, heading);
    column->addWidget(heading);

    auto* list = new QListWidget(this);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setAccessibleName(QStringLiteral("Selectable Model List"));
    list->verticalScrollBar()->setAccessibleName(QStringLiteral("Scroll the model list up and down"));
    list->horizontalScrollBar()->setAccessibleName(QStringLiteral("Scroll the model list sideways"));
    // The entries are indented with blanks; they keep them.
    list->addItems(ModelListLines(modelList));
    controls_.add(ModelLines, list);
    column->addWidget(list, 1);
}

}  // namespace zentor::settings
