#include "StatusView.h"

#include "PanelInput.h"

namespace zentor::panel {

namespace {

namespace art = ids::art;

// "%d.%d" of value as a percentage of max, one decimal, truncated; max is not 0.
QString Percent(int value, int max) { return QString::asprintf("%d.%d", value * 100 / max, value * 1000 / max % 10); }

// Signed remainder and quotient of a step count, truncating toward zero. Without steps per
// revolution the whole count is the remainder, as in the position edit.
std::pair<int32_t, int32_t> SignedSplit(int32_t n, int s)
{
    if (s <= 0) return {n, 0};
    return {static_cast<int32_t>(int64_t{n} % s), static_cast<int32_t>(int64_t{n} / s)};
}

class ViewBuilder {
public:
    explicit ViewBuilder(StatusView& v) : v_(v) {}
    void text(int id, const QString& t) { v_.texts.emplace_back(id, t); }
    void text(int id, const char* t) { v_.texts.emplace_back(id, QString::fromLatin1(t)); }

private:
    StatusView& v_;
};

void RenderSettings(const RegisterMap& m, bool position, StatusView& v)
{
    ViewBuilder b(v);
    const int pole = m.value(PoleCount);
    const int limit = m.value(CurrentLimit);
    const int reducer = m.value(ReducerRatio);
    const int acc = m.value(AccelTime);
    const int dec = m.value(DecelTime);
    const int maxRpm = m.value(MaxRpm);

    b.text(ids::PoleLabel, QString::asprintf("Pole: %dP", pole));
    b.text(ids::LimitLabel, QString::asprintf("Lim: %d.%dA", limit / 100, limit / 10 % 10));
    v.graphLimitAndMax = std::pair<int, int>{limit, limit * 11 / 10};
    b.text(ids::ReducerLabel,
           reducer == 0 ? QStringLiteral("Reducer: (N/A)") : QString::asprintf("Reducer: 1/%d.%02d", reducer / 100, reducer % 100));
    // The position driver has no ramp times of its own to show.
    b.text(ids::AccLabel, position || acc == 0 ? QStringLiteral("Acc:(N/A)")
                                               : QString::asprintf("Acc: %d.%ds", acc / 1000, acc / 100 % 10));
    b.text(ids::DecLabel, position || dec == 0 ? QStringLiteral("Dec:(N/A)")
                                               : QString::asprintf("Dec: %d.%ds", dec / 1000, dec / 100 % 10));
    b.text(ids::MaxRpmLabel, QString::asprintf("Max. RPM : %d", maxRpm));

    const int command = m.value(SpeedCommand);
    const QString t = maxRpm == 0 ? QStringLiteral("0") : Percent(command, maxRpm);
    v.speedSliderPos = maxRpm == 0 ? 0 : command * 100 / maxRpm;
    b.text(ids::SpeedEdit, t);
    b.text(ids::SpeedCaption, QStringLiteral(" Speed  ( 0.0~100.0% ) [ ") + t + QStringLiteral("% ]"));

    if (!position) return;
    const int32_t target = m.signed32(TargetPositionHigh, TargetPositionLow);
    const int s = StepsPerRevolution(m);
    // With no steps per revolution known the slider has nothing to stand for: one position, 0.
    v.positionSliderRange = std::pair<int, int>{0, s > 0 ? s - 1 : 0};
    v.positionSliderPos = s > 0 ? SplitPosition(target, s).remainder : 0;
    b.text(ids::PositionEdit, QString::number(target));
    const auto [rem, quot] = SignedSplit(target, s);
    b.text(ids::PositionCaption, QString::asprintf(" Position-Step ( %d/R ) < %d/%dR > [ %d ]", s, rem, quot, target));
}

void RenderLive(const RegisterMap& m, bool position, StatusView& v)
{
    ViewBuilder b(v);
    int a = position ? m.value(SpeedFeedback) : m.value(MotorRpm);

    if (m.value(BrakeState) == 1) {
        b.text(ids::BrakeOn, "< ON >");
        b.text(ids::BrakeOff, "OFF");
        if (position) a = 0;  // a braked position drive is standing
    } else {
        b.text(ids::BrakeOn, "ON");
        b.text(ids::BrakeOff, "< OFF >");
    }

    const int maxRpm = m.value(MaxRpm);
    if (maxRpm == 0) {
        b.text(ids::RotateIndicator, "_ ____ _");
    } else if (a == 0) {
        b.text(ids::RotateIndicator, "_ Stop _");
    } else {
        const int reference = m.value(SpeedReference);
        const char* arrow = a < reference ? "<<" : a == reference ? "__" : ">>";
        b.text(ids::RotateIndicator, QString::fromLatin1(arrow) + QLatin1Char(' ') + Percent(a, maxRpm) + QLatin1Char('%'));
    }

    b.text(ids::BrakeIndicator, "BRAKE");

    if (position) {
        const int32_t current = m.signed32(PositionHigh, PositionLow);
        const int32_t target = m.signed32(TargetPositionHigh, TargetPositionLow);
        const int s = StepsPerRevolution(m);
        b.text(ids::DirectionIndicator, current > target ? "REV" : "FWD");
        const auto [rem, quot] = SignedSplit(current, s);
        b.text(ids::StepIndicator, QString::asprintf("%d /%dR", rem, quot));
        v.dialValues = std::array<int32_t, 3>{s, target, current};
        b.text(ids::DirectionCw, "LEFT");
        b.text(ids::DirectionCcw, "RIGHT");
    } else {
        b.text(ids::DirectionIndicator, m.value(DirectionFeedback) != 0 ? "CCW" : "CW");
        b.text(ids::StepIndicator, "_Step N_");
        if (m.value(DirectionState) != 0) {
            b.text(ids::DirectionCw, "CW");
            b.text(ids::DirectionCcw, "< CCW >");
        } else {
            b.text(ids::DirectionCw, "< CW >");
            b.text(ids::DirectionCcw, "CCW");
        }
    }

    const bool runState = m.value(RunState) == 1;
    if (position) {
        b.text(ids::ResetHigh, runState ? "< HIGH >" : "HIGH");
        b.text(ids::ResetLow, runState ? "LOW" : "< LOW >");
    } else {
        b.text(ids::Run, runState ? "< RUN >" : "RUN");
        b.text(ids::Stop, runState ? "STOP" : "< STOP >");
        b.text(ids::ResetHigh, "HIGH");
        b.text(ids::ResetLow, "LOW");
    }
}

}  // namespace

QString StatusView::textOf(int id) const
{
    for (auto it = texts.rbegin(); it != texts.rend(); ++it)
        if (it->first == id) return it->second;
    return {};
}

bool StatusView::hasText(int id) const
{
    for (const auto& [key, t] : texts)
        if (key == id) return true;
    return false;
}

StatusView RefreshStatusView(RegisterMap& m, int controlType, bool started, bool sequenceRunning, DisplayState& st)
{
    StatusView v;
    v.digits = st.shownDigits;
    m.values.refresh(m.image);
    if (sequenceRunning) {
        // A running sequence owns the screen's attention: the display stays frozen.
        m.settingsChanged = false;
        return v;
    }
    const bool position = controlType == PositionControl;
    if (m.settingsChanged) {
        RenderSettings(m, position, v);
        m.settingsChanged = false;
    }
    RenderLive(m, position, v);
    v.digits = RefreshDigitsView(m, controlType, started, st, &v.digitsChanged);
    v.graphSample = m.value(MotorCurrent);
    return v;
}

std::array<int, 5> RefreshDigitsView(const RegisterMap& m, int controlType, bool started, DisplayState& st,
                                     bool* changed)
{
    const uint32_t rpm = m.value(MotorRpm);
    const uint32_t ratio = m.value(ReducerRatio);
    st.shownRpm = st.outputView && ratio != 0 ? rpm * 100 / ratio : rpm;

    std::array<int, 5> digits = st.shownDigits;
    bool rendered = true;
    if (controlType == NoControl) {
        digits.fill(art::Dash);
    } else if (m.value(AlarmState) != 0) {
        if (st.alarmFlash)
            digits = {art::FaultF, art::FaultA, art::FaultU, art::FaultL, art::FaultT};
        else if (started)
            digits.fill(art::Dash);
        else
            rendered = false;  // not polling: the fault picture stays as it was
        st.alarmFlash = !st.alarmFlash;
    } else {
        uint32_t place = 1;
        for (int k = 0; k < 5; ++k) {
            const int index = 4 - k;  // units at the right
            digits[index] = k == 0 || st.shownRpm >= place ? art::digit(static_cast<int>(st.shownRpm / place % 10))
                                                            : art::Blank;
            place *= 10;
        }
    }
    if (rendered) st.shownDigits = digits;
    if (changed) *changed = rendered;
    return digits;
}

QString RpmCaption(bool reducerView)
{
    return reducerView ? QStringLiteral("RPM. ( Reducer Output )") : QStringLiteral("RPM. ( Motor Output )");
}

}  // namespace zentor::panel
