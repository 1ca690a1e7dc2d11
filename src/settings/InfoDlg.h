#pragma once
// DLG_INFO: the model list panel that "Info." shows over the left part of the main window, a
// child of it: the heading "Selectable Model List" and the supported models, read from the
// model list each time the panel is made.

#include "ControlTable.h"

#include <QFrame>
#include <span>

namespace zentor::settings {

class DLG_INFO : public QFrame {
    Q_OBJECT
public:
    DLG_INFO(std::span<const QString> modelList, QWidget* parent);

    const ControlTable& controls() const { return controls_; }
    QWidget* control(int id) const { return controls_.get(id); }

private:
    ControlTable controls_;
};

}  // namespace zentor::settings
