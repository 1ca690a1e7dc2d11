#include "PanelColours.h"

#include "ControlIds.h"

namespace zentor::panel {

namespace {

bool Bit0(const RegisterMap& m, int role) { return (m.value(role) & 1) != 0; }

// ClutchState exists only in the position layout; elsewhere its slot may hold a stale number.
bool ClutchEngaged(const RegisterMap& m, int controlType)
{
    return controlType == PositionControl && Bit0(m, ClutchState);
}

QColor StateText(bool set) { return set ? kIndicatorTextSet : kIndicatorTextClear; }

}  // namespace

bool ButtonActive(int id, const RegisterMap& m, int controlType, bool started, bool enabled)
{
    if (!enabled || !started) return false;
    const int directionRole = controlType == PositionControl ? MountDirection : DirectionCommand;
    switch (id) {
    case ids::ClutchOn: return ClutchEngaged(m, controlType);
    case ids::ClutchOff: return controlType == PositionControl && !Bit0(m, ClutchState);
    case ids::DirectionCw: return !Bit0(m, directionRole);
    case ids::DirectionCcw: return Bit0(m, directionRole);
    case ids::BrakeOn: return Bit0(m, BrakeCommand);
    case ids::BrakeOff: return !Bit0(m, BrakeCommand);
    case ids::Run:
    case ids::ResetHigh: return Bit0(m, RunCommand);
    case ids::Stop:
    case ids::ResetLow: return !Bit0(m, RunCommand);
    default: return false;
    }
}

StaticColours StaticColoursFor(int id, const RegisterMap& m, int controlType, bool portOpen, bool blinkPhase,
                               bool enabled)
{
    switch (id) {
    case ids::ClutchPanel:
    case ids::RotatePanel:
    case ids::ResetPanel:
    case ids::DirectionPanel:
    case ids::BrakePanel:
    case ids::SpeedPanel:
    case ids::PositionPanel:
    case ids::ClutchCaption:
    case ids::DirectionCaption:
    case ids::BrakeCaption:
    case ids::RotateCaption:
    case ids::SpeedCaption:
    case ids::ResetCaption:
    case ids::PositionCaption:
    case ids::SpeedSlider:
    case ids::PositionSlider:
        if (enabled) return {kGroupBackground, std::nullopt};
        return {};
    case ids::LinkLamp:
        if (!portOpen) return {kLampClosed, std::nullopt};
        return {blinkPhase ? kLampOpenPhaseSet : kLampOpenPhaseClear, std::nullopt};
    case ids::RotateIndicator:
    case ids::DirectionIndicator:
    case ids::StepIndicator: return {kIndicatorBackground, std::nullopt};
    case ids::ClutchIndicator: return {kIndicatorBackground, StateText(ClutchEngaged(m, controlType))};
    case ids::BrakeIndicator: return {kIndicatorBackground, StateText(Bit0(m, BrakeState))};
    default: return {};
    }
}

}  // namespace zentor::panel
