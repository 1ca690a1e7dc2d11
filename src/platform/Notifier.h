#pragma once
// Modal OK message boxes with fixed texts. The console shows them; tests record them.

#include <QString>
#include <QStringList>

class QWidget;

namespace zentor {

class Notifier {
public:
    virtual ~Notifier() = default;
    // Returns when the operator has pressed OK.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // The same box with a secondary text under the message: the why and what to do.
    virtual void message(QWidget* parent, const QString& text, const QString& details)
    {
        (void)details;
        message(parent, text);
    }
};

class QtNotifier final : public Notifier {
public:
    void message(QWidget* parent, const QString& text) override;
    void message(QWidget* parent, const QString& text, const QString& details) override;
};

}  // namespace zentor
