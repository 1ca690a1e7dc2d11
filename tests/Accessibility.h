#pragma once
// What a screen reader or a test robot on the accessibility bus finds in a window: every
// button named by its caption, every input named, every group box titled by its caption, and
// every input or button that lies inside a group box's frame placed inside that group box.
// Returns the problems found, one text each; an empty list means the window is in order.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

namespace zentor::testing {

inline QString accessibleName(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

inline QString describe(QWidget* w)
{
    return QStringLiteral("%1 '%2' (%3)").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                                             w->property("controlId").toString());
}

inline QStringList accessibilityProblems(QWidget* window)
{
    QStringList problems;
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    QList<QGroupBox*> groups;
    for (QWidget* w : all) {
        if (w->window() != window) continue;  // another window's controls
        if (auto* g = qobject_cast<QGroupBox*>(w)) groups << g;
    }
    auto isInput = [](QWidget* w) {
        return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
               qobject_cast<QAbstractSlider*>(w) || qobject_cast<QAbstractItemView*>(w);
    };
    for (QWidget* w : all) {
        if (w->window() != window || !isInput(w)) continue;
        // The line edit inside a combo box and the viewport of a list are parts of their owner;
        // so are the headers, scroll bars and corner button of a table, which the view's own
        // accessible interface presents.
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget())) continue;
        bool partOfAView = false;
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            if (qobject_cast<QAbstractItemView*>(p)) partOfAView = true;
        if (partOfAView) continue;
        const QString name = accessibleName(w);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            QString caption = b->text();
            caption.remove(QLatin1Char('&'));
            if (!caption.trimmed().isEmpty() && name.trimmed() != caption.trimmed())
                problems << QStringLiteral("%1: accessible name '%2' is not its caption '%3'").arg(describe(w), name, caption);
        }
        if (name.trimmed().isEmpty()) problems << QStringLiteral("%1: no accessible name").arg(describe(w));
        const QRect at(w->mapTo(window, QPoint(0, 0)), w->size());
        for (QGroupBox* g : groups) {
            const QRect frame(g->mapTo(window, QPoint(0, 0)), g->size());
            if (frame.contains(at) && !g->isAncestorOf(w))
                problems << QStringLiteral("%1 lies inside group '%2' but is not in it").arg(describe(w), accessibleName(g));
        }
    }
    for (QGroupBox* g : groups) {
        const QString title = g->title().isEmpty() ? g->property("caption").toString() : g->title();
        const QString name = accessibleName(g);
        if (name.trimmed().isEmpty()) problems << QStringLiteral("%1: group box without a title").arg(describe(g));
        else if (!title.isEmpty() && name.trimmed() != title.trimmed())
            problems << QStringLiteral("%1: group title '%2' is not its caption '%3'").arg(describe(g), name, title);
    }
    return problems;
}

}  // namespace zentor::testing
