#pragma once
// A static text drawn in fixed colours over a solid background, whatever the style would
// paint: the ID label and the status line of the sequence test window.

#include <QColor>
#include <QLabel>

namespace zentor {

class SolidLabel : public QLabel {
    Q_OBJECT
public:
    SolidLabel(const QColor& background, const QColor& textColour, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor background_;
    QColor text_;
};

}  // namespace zentor
