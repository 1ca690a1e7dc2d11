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
};

class QtNotifier final : public Notifier {
public:
    void message(QWidget* parent, const QString& text) override;
};

class RecordingNotifier final : public Notifier {
public:
    void message(QWidget*, const QString& text) override { texts.append(text); }
    QString last() const { return texts.isEmpty() ? QString() : texts.last(); }
    QStringList texts;
};

}  // namespace zentor
