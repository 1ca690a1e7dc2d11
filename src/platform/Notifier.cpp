#include "Notifier.h"

#include <QMessageBox>

namespace zentor {

void QtNotifier::message(QWidget* parent, const QString& text) { message(parent, text, QString()); }

void QtNotifier::message(QWidget* parent, const QString& text, const QString& details)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zentor"), text, QMessageBox::Ok, parent);
    if (!details.isEmpty()) box.setInformativeText(details);
    box.exec();
}

}  // namespace zentor
