#pragma once
// What the status display shows after an answer, as plain data: the texts, slider moves, graph
// and dial values and digit images that one RefreshStatus or RefreshDigits renders.

#include "ControlIds.h"
#include "RegisterMap.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace zentor::panel {

// Display state the main window keeps between refreshes.
struct DisplayState {
    bool outputView = false;  // false: motor output; true: reducer output
    bool alarmFlash = false;  // alternates on every digit refresh while the driver reports a fault
    uint32_t shownRpm = 0;    // value last rendered by the digits
    // Image ids the digits were last given (left to right), so that a refresh that keeps them
    // can still say what they show.
    std::array<int, 5> shownDigits{ids::art::Dash, ids::art::Dash, ids::art::Dash, ids::art::Dash, ids::art::Dash};
};

// Everything one refresh shows. Unset optionals and absent texts leave the control as it is.
struct StatusView {
    std::vector<std::pair<int, QString>> texts;  // control id -> window text, in the order they are set
    std::optional<int> speedSliderPos;
    std::optional<std::pair<int, int>> positionSliderRange;  // min, max
    std::optional<int> positionSliderPos;
    std::optional<std::pair<int, int>> graphLimitAndMax;
    std::optional<int> graphSample;
    std::optional<std::array<int32_t, 3>> dialValues;  // steps per revolution, target, actual
    std::array<int, 5> digits{};  // image ids for 1080, 1079, 1078, 1077, 1076
    bool digitsChanged = false;   // false: the digits keep what they show

    // The last text set for the control, or an empty string.
    QString textOf(int id) const;
    bool hasText(int id) const;
};

// RefreshStatus: refreshes m.values from m.image, then renders as the driver reports. While a
// sequence runs it only lowers m.settingsChanged; otherwise the settings block is rendered (and
// the flag lowered) only when m.settingsChanged is raised, then the live block and the digits.
StatusView RefreshStatusView(RegisterMap& m, int controlType, bool started, bool sequenceRunning, DisplayState& st);

// RefreshDigits on the current values: returns the five image ids (left to right), updates
// st.shownRpm, st.alarmFlash and st.shownDigits; *changed (if given) is false when the digits
// keep what they show (a fault while communication is not started, phase clear).
std::array<int, 5> RefreshDigitsView(const RegisterMap& m, int controlType, bool started, DisplayState& st,
                                     bool* changed);

// Caption 1039 for the output view.
QString RpmCaption(bool reducerView);

}  // namespace zentor::panel
