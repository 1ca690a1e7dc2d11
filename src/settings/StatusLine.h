#pragma once
// The status line of a settings window and the heading of the model list: white text on the
// status blue, painted by the line itself so that every style shows these colours.

#include <QLabel>

namespace zentor::settings {

class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace zentor::settings
