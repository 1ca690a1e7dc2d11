#pragma once
// A framed static that reports a click, as the RPM display does when the operator toggles
// between motor and reducer output.

#include <QFrame>
#include <QMouseEvent>

namespace zentor {

class ClickFrame : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton) emit clicked();
        QFrame::mousePressEvent(event);
    }
};

}  // namespace zentor
