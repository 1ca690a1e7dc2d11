#pragma once
// The main window's palette and the colour decisions of the status display: which button shows
// the active-state red, and which static gets which background and text colour.

#include "RegisterMap.h"

#include <QColor>
#include <optional>

namespace zentor::panel {

inline constexpr QColor kWindowBackground{240, 240, 240};
// Status lines and headings of the secondary windows (white text on it), and the dial's target.
inline constexpr QColor kStatusBlue{0, 171, 241};
inline constexpr QColor kGroupBackground{255, 255, 255};      // enabled group panels, captions, sliders
inline constexpr QColor kIndicatorBackground{192, 224, 250};  // indicators 1042 to 1046
inline constexpr QColor kActiveButton{192, 32, 32};
inline constexpr QColor kLampClosed{64, 100, 64};
inline constexpr QColor kLampOpenPhaseClear{32, 192, 32};
inline constexpr QColor kLampOpenPhaseSet{192, 32, 32};
inline constexpr QColor kIndicatorTextSet{250, 64, 64};
inline constexpr QColor kIndicatorTextClear{64, 64, 64};

// True when the button is enabled, communication is started and bit 0 of the command register
// it stands for holds its state. The speed layout has no clutch register, so outside Position
// control neither clutch button is ever active.
bool ButtonActive(int id, const RegisterMap& m, int controlType, bool started, bool enabled);

// Colours of a static control or slider; nullopt means the window's default.
struct StaticColours {
    std::optional<QColor> background;
    std::optional<QColor> text;
};
// The clutch indicator's text follows ClutchState bit 0 in Position control; the speed layout
// has no such register, so there it always has the clear colour.
StaticColours StaticColoursFor(int id, const RegisterMap& m, int controlType, bool portOpen, bool blinkPhase,
                               bool enabled);

}  // namespace zentor::panel
