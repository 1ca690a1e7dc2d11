#include "Notifier.h"

#include <QMessageBox>

namespace zentor {

void QtNotifier::message(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zentor"), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace zentor
