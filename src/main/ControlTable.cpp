#include "ControlTable.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace zentor {

void ControlTable::add(int id, QWidget* control)
{
    controls_.insert(id, control);
    control->setObjectName(QString::number(id));
    control->setProperty("controlId", id);
}

void ControlTable::setText(int id, const QString& t)
{
    QWidget* w = get(id);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != t) label->setText(t);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text() != t) button->setText(t);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != t) edit->setText(t);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        if (group->title() != t) group->setTitle(t);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) combo->setEditText(t);
    } else if (w) {
        w->setProperty("windowText", t);
    }
    if (QWidget* group = captionOf_.value(id)) {
        group->setAccessibleName(t.trimmed());
        group->setProperty("caption", t.trimmed());
    }
}

QString ControlTable::text(int id) const
{
    QWidget* w = get(id);
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    return w ? w->property("windowText").toString() : QString();
}

void ControlTable::setEnabled(std::initializer_list<int> ids, bool enabled)
{
    for (int id : ids)
        if (QWidget* w = get(id)) w->setEnabled(enabled);
}

int ControlTable::idOf(const QWidget* control)
{
    return control ? control->property("controlId").toInt() : 0;
}

}  // namespace zentor
