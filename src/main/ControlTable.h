#pragma once
// A window's controls by their numeric ids: each window keeps its own table (the same id may
// mean different controls in different windows), and tests press and read controls by id.

#include <QHash>
#include <QString>
#include <QWidget>
#include <initializer_list>

namespace zentor {

class ControlTable {
public:
    // Registers the control under its id; the id also becomes its object name.
    void add(int id, QWidget* control);
    QWidget* get(int id) const { return controls_.value(id); }
    template <class W>
    W* as(int id) const { return qobject_cast<W*>(get(id)); }
    bool contains(int id) const { return controls_.contains(id); }
    const QHash<int, QWidget*>& all() const { return controls_; }

    // The window text of a label, button, edit, group box or combo box (its edit text).
    void setText(int id, const QString& text);
    QString text(int id) const;
    void setEnabled(std::initializer_list<int> ids, bool enabled);
    // The caption label of a group box: whatever it shows becomes the box's accessible title.
    void bindCaption(int captionId, QWidget* group) { captionOf_.insert(captionId, group); }

    // The control id of a widget registered in any table, or 0.
    static int idOf(const QWidget* control);

private:
    QHash<int, QWidget*> controls_;
    QHash<int, QWidget*> captionOf_;
};

}  // namespace zentor
