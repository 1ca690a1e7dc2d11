#pragma once
// The settings windows as the operator reaches them: through the launchers of a real main
// window (tests/main/Rig.h), in virtual time against the simulated drivers.

#include "Accessibility.h"
#include "Pixels.h"
#include "main/Rig.h"
#include "SettingsDialog.h"
#include "SettingsIds.h"

#include <QImage>

namespace zentor::testing {

inline const QString kSpeed = QStringLiteral("SIM-SPEED");
inline const QString kPosition = QStringLiteral("SIM-POSITION");

// Presses the launcher and returns the window it opened (nullptr when none opened).
template <class Window>
Window* openWindow(Rig& r, int launcherId)
{
    r.press(launcherId);
    auto* window = r.w->findChild<Window*>();
    return window && window->isVisible() ? window : nullptr;
}

inline void click(settings::SettingsDialog* d, int id) { d->controlAs<QPushButton>(id)->click(); }

// Types the text into the field key by key, as the operator does.
inline void typeInto(settings::SettingsDialog* d, int id, const QString& text)
{
    QTest::keyClicks(d->control(id), text);
}

inline QString textOf(settings::SettingsDialog* d, int id) { return d->controls().text(id); }

inline QByteArray frameOf(const char* hex) { return QByteArray::fromHex(hex); }

inline QByteArray writeFrame(int slave, int reg, int value)
{
    uint8_t out[kFrameBufferSize];
    return QByteArray(reinterpret_cast<char*>(out), BuildWriteSingleRegister(out, slave, reg, uint16_t(value)));
}

inline QByteArray readFrame(int slave, int quantity)
{
    uint8_t out[kFrameBufferSize];
    return QByteArray(reinterpret_cast<char*>(out), BuildReadHoldingRegisters(out, slave, quantity));
}


}  // namespace zentor::testing
