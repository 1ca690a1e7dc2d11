#pragma once
// A group of the main window's look: a white box with its caption in bold at the top and a
// thin line under it; the caption is also the group's accessible title.

#include <QGroupBox>

namespace zentor::monitor {

class CaptionedGroup : public QGroupBox {
    Q_OBJECT
public:
    CaptionedGroup(const QString& caption, QWidget* parent);
    // Where the group's controls begin, below the caption's line.
    static constexpr int kTop = 32;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace zentor::monitor
