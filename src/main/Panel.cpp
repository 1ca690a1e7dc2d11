// The control panel: every command button becomes one register write placed in the command
// slot, the edits and sliders validate what the operator types, and the status display is
// drawn from the values of each answer.

#include "ZentorDlg.h"

#include "Artwork.h"
#include "ChartDraw.h"
#include "ControlIds.h"
#include "DrawStatic.h"
#include "PanelColours.h"
#include "PanelInput.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace zentor {

bool CZentorDlg::CommunicationStarted()
{
    if (running_) return true;
    env_.notifier.message(this, QStringLiteral("COMMUNICATION \n 1. COM Port 'Open' \n 2. 'Start'"));
    return false;
}

void CZentorDlg::PlaceWrite(int role, uint16_t value)
{
    pending_.address = regs_.layout.registerOf(role);
    pending_.value = value;
    pending_.kind = WriteSingle;
}

void CZentorDlg::OnDirection(int value)
{
    if (!BusyGuardPasses() || !CommunicationStarted()) return;
    PlaceWrite(controlType_ == PositionControl ? MountDirection : DirectionCommand, static_cast<uint16_t>(value));
}

void CZentorDlg::OnBrake(int value)
{
    if (!BusyGuardPasses() || !CommunicationStarted()) return;
    PlaceWrite(BrakeCommand, static_cast<uint16_t>(value));
}

void CZentorDlg::OnRunCommand(int value)
{
    if (!BusyGuardPasses() || !CommunicationStarted()) return;
    PlaceWrite(RunCommand, static_cast<uint16_t>(value));
}

void CZentorDlg::OnZeroPosition()
{
    if (!BusyGuardPasses() || !CommunicationStarted()) return;
    PlaceWrite(ZeroPositionSet, 1);
}

void CZentorDlg::OnClutch()
{
    // The clutch buttons are never enabled; a press only passes the common prologue.
    if (!BusyGuardPasses() || !CommunicationStarted()) return;
}

void CZentorDlg::OnSpeedSet()
{
    if (!BusyGuardPasses() || !CommunicationStarted()) return;
    const auto value = panel::SpeedSetValue(text(ids::SpeedEdit), regs_.value(MaxRpm));
    if (!value) return;
    PlaceWrite(SpeedCommand, *value);
}

void CZentorDlg::OnPositionSet()
{
    if (!BusyGuardPasses() || !CommunicationStarted()) return;
    const QString t = text(ids::PositionEdit);
    if (t.isEmpty()) return;
    const auto block = panel::PositionSetBlock(panel::PositionTextValue(t));
    pending_.address = regs_.layout.registerOf(TargetPositionHigh);
    pending_.count = 2;
    std::copy(block.begin(), block.end(), pending_.block);
    pending_.kind = WriteMultiple;
}

void CZentorDlg::OnSpeedEditChanged()
{
    auto* edit = controlAs<QLineEdit>(ids::SpeedEdit);
    if (!edit->hasFocus()) return;
    if (!running_) {
        edit->clear();
        return;
    }
    const QString t = edit->text();
    if (!panel::SpeedTextValid(t)) {
        edit->clear();
        return;
    }
    controlAs<QSlider>(ids::SpeedSlider)->setValue(panel::SpeedSliderFromText(t));
}

void CZentorDlg::OnPositionEditChanged()
{
    auto* edit = controlAs<QLineEdit>(ids::PositionEdit);
    if (!edit->hasFocus()) return;
    if (!running_) {
        edit->clear();
        return;
    }
    const QString t = edit->text();
    if (!panel::PositionTextValid(t)) {
        edit->clear();
        return;
    }
    const int32_t n = panel::PositionTextValue(t);
    const int s = panel::StepsPerRevolution(regs_);
    const int32_t target = regs_.signed32(TargetPositionHigh, TargetPositionLow);
    setText(ids::PositionCaption, panel::PositionEditCaption(s, n, target));
    controlAs<QSlider>(ids::PositionSlider)->setValue(panel::SplitPosition(n, s).remainder);
}

// Where the operator left the slider: during a key or track action the position is already
// moved but not yet the value.
void CZentorDlg::OnSpeedSliderReleased()
{
    auto* slider = controlAs<QSlider>(ids::SpeedSlider);
    if (!running_) {
        slider->setValue(0);
        return;
    }
    setText(ids::SpeedEdit, panel::SpeedTextFromSlider(slider->sliderPosition()));
}

void CZentorDlg::OnPositionSliderReleased()
{
    auto* slider = controlAs<QSlider>(ids::PositionSlider);
    if (!running_) {
        slider->setValue(0);
        return;
    }
    const int32_t n = panel::PositionTextValue(text(ids::PositionEdit));
    const int s = panel::StepsPerRevolution(regs_);
    const int32_t target = regs_.signed32(TargetPositionHigh, TargetPositionLow);
    const auto r = panel::PositionSliderRelease(n, s, slider->sliderPosition(), target);
    setText(ids::PositionEdit, r.editText);
    setText(ids::PositionCaption, r.caption);
}

void CZentorDlg::OnRpmDisplayClicked()
{
    if (!BusyGuardPasses()) return;
    display_.outputView = !display_.outputView;
    if (display_.outputView && regs_.value(ReducerRatio) == 0) return;
    setText(ids::RpmCaption, panel::RpmCaption(display_.outputView));
    RefreshDigits();
}

void CZentorDlg::ResetRpmView()
{
    display_.alarmFlash = false;
    display_.outputView = false;
    setText(ids::RpmCaption, panel::RpmCaption(false));
}

void CZentorDlg::OnSelect()
{
    if (!BusyGuardPasses()) return;
    if (running_) {
        env_.notifier.message(this, QStringLiteral("Stop Contorl Motor"));
        return;
    }
    auto* list = controlAs<QComboBox>(ids::ControlTypeList);
    const int chosen = list->currentIndex();
    if (chosen >= 0 && chosen != controlType_) SelectControlType(chosen);
    list->setCurrentIndex(0);
}

void CZentorDlg::SelectControlType(int type)
{
    controlType_ = type;
    regs_.layout.apply(type);
    ResetPanel(type);
}

void CZentorDlg::ResetPanel(int type)
{
    const bool speed = type == SpeedControl;
    const bool position = type == PositionControl;
    const QString typeText1 = speed ? QStringLiteral("Speed Ctrl") : position ? QStringLiteral("Position Ctrl")
                                                                              : QStringLiteral("( Select Control Type )");
    const QString typeText2 = speed ? QStringLiteral("Speed Ctrl") : position ? QStringLiteral("Position Ctrl")
                                                                              : QStringLiteral("( ------ )");
    auto enable = [this](std::initializer_list<int> members, bool on) {
        for (int id : members)
            if (QWidget* w = control(id)) w->setEnabled(on);
    };

    enable({ids::ClutchPanel, ids::ClutchCaption, ids::ClutchLine, ids::ClutchOn, ids::ClutchOff, ids::ClutchIndicator}, false);

    const bool directionOn = speed || position;
    enable({ids::DirectionPanel, ids::DirectionCaption, ids::DirectionLine, ids::DirectionCw, ids::DirectionCcw,
            ids::DirectionIndicator},
           directionOn);
    setText(ids::DirectionCaption, position ? QStringLiteral(" Mounting Direction") : QStringLiteral(" Direction"));
    setText(ids::DirectionCw, position ? QStringLiteral("LEFT") : QStringLiteral("CW"));
    setText(ids::DirectionCcw, position ? QStringLiteral("RIGHT") : QStringLiteral("CCW"));
    setText(ids::DirectionIndicator, QStringLiteral("___"));

    enable({ids::BrakePanel, ids::BrakeCaption, ids::BrakeLine, ids::BrakeOn, ids::BrakeOff, ids::BrakeIndicator}, directionOn);
    setText(ids::BrakeOn, QStringLiteral("ON"));
    setText(ids::BrakeOff, QStringLiteral("OFF"));

    enable({ids::RotatePanel, ids::RotateCaption, ids::RotateLine, ids::Run, ids::Stop}, speed);
    setText(ids::Run, QStringLiteral("RUN"));
    setText(ids::Stop, QStringLiteral("STOP"));

    enable({ids::SpeedPanel, ids::SpeedCaption, ids::SpeedLine, ids::SpeedSlider, ids::SpeedEdit, ids::SpeedSet,
            ids::RotateIndicator},
           directionOn);
    setText(ids::SpeedCaption, QStringLiteral(" Speed ( 0.0~100.0% ) [ Target ]"));
    controlAs<QSlider>(ids::SpeedSlider)->setValue(0);
    setText(ids::SpeedEdit, QString());
    setText(ids::RotateIndicator, QStringLiteral("_Speed %_"));

    enable({ids::ResetPanel, ids::ResetCaption, ids::ResetLine, ids::ResetHigh, ids::ResetLow}, position);
    setText(ids::ResetHigh, QStringLiteral("HIGH"));
    setText(ids::ResetLow, QStringLiteral("LOW"));

    enable({ids::PositionPanel, ids::PositionCaption, ids::PositionLine, ids::PositionSlider, ids::PositionEdit,
            ids::PositionSet, ids::StepIndicator, ids::ZeroPositionSet},
           position);
    setText(ids::PositionCaption, QStringLiteral(" Position-Step ( N_Step/R ) < Set_Step/N_R > [ Target ]"));
    controlAs<QSlider>(ids::PositionSlider)->setValue(0);
    setText(ids::PositionEdit, QString());
    setText(ids::StepIndicator, QStringLiteral("_Step N_"));

    setText(ids::TypeLabel, typeText1);
    setText(ids::TypeLabel2, type == NoControl ? QStringLiteral("_Ctrl Type_") : typeText2);
    control(ids::TypeLabel2)->setEnabled(type != NoControl);

    enable({ids::PoleLabel, ids::LimitLabel, ids::ReducerLabel, ids::AccLabel, ids::DecLabel, ids::MaxRpmLabel}, directionOn);
    setText(ids::PoleLabel, QStringLiteral("Pole:__P"));
    setText(ids::LimitLabel, QStringLiteral("Lim: ___A"));
    setText(ids::ReducerLabel, QStringLiteral("Reducer : ____"));
    setText(ids::AccLabel, QStringLiteral("Acc: __s"));
    setText(ids::DecLabel, QStringLiteral("Dec: __s"));
    setText(ids::MaxRpmLabel, QStringLiteral("Max. RPM : ____"));

    regs_.values.clear();

    dial_->SetActualShown(position);
    dial_->SetValues(0, 0, 0);

    series_->limit = 800;
    series_->maximum = 1000;
    chart_->Restart(series_);

    RefreshDigits();
    RefreshColours();
}

void CZentorDlg::RestartGraph()
{
    chart_->Restart(series_);
}

void CZentorDlg::RefreshStatus()
{
    const panel::StatusView view = panel::RefreshStatusView(regs_, controlType_, running_, sequenceRunning_, display_);
    ApplyStatusView(view);
}

void CZentorDlg::ApplyStatusView(const panel::StatusView& view)
{
    for (const auto& [id, t] : view.texts) setText(id, t);
    if (view.speedSliderPos) controlAs<QSlider>(ids::SpeedSlider)->setValue(*view.speedSliderPos);
    if (view.positionSliderRange)
        controlAs<QSlider>(ids::PositionSlider)->setRange(view.positionSliderRange->first, view.positionSliderRange->second);
    if (view.positionSliderPos) controlAs<QSlider>(ids::PositionSlider)->setValue(*view.positionSliderPos);
    if (view.graphLimitAndMax) {
        series_->limit = view.graphLimitAndMax->first;
        series_->maximum = view.graphLimitAndMax->second;
    }
    if (view.dialValues) dial_->SetValues((*view.dialValues)[0], (*view.dialValues)[1], (*view.dialValues)[2]);
    if (view.digitsChanged) ShowDigits(view.digits);
    if (view.graphSample) {
        sampleTimes_[static_cast<size_t>(series_->count)] = env_.clock.nowMs();
        chart_->AddSample(series_, *view.graphSample);
    }
    RefreshColours();
}

void CZentorDlg::RefreshDigits()
{
    bool changed = false;
    const auto digits = panel::RefreshDigitsView(regs_, controlType_, running_, display_, &changed);
    if (changed) ShowDigits(digits);
}

void CZentorDlg::ShowDigits(const std::array<int, 5>& digits)
{
    static constexpr int order[5] = {ids::DigitTenThousands, ids::DigitThousands, ids::DigitHundreds, ids::DigitTens,
                                     ids::DigitUnits};
    for (int i = 0; i < 5; ++i) {
        auto* label = controlAs<QLabel>(order[i]);
        if (label->property("imageId").toInt() == digits[i]) continue;
        label->setProperty("imageId", digits[i]);
        label->setPixmap(art::DigitPixmap(digits[i], devicePixelRatioF()));
    }
}

void CZentorDlg::RefreshColours()
{
    for (auto it = controls_.all().cbegin(); it != controls_.all().cend(); ++it) RefreshColoursOf(it.key(), it.value());
}

void CZentorDlg::RefreshColoursOf(int id, QWidget* w)
{
    // Colours for the enabled states only: a disabled control keeps the style's greyed look,
    // as its neighbours in a disabled group do.
    auto paint = [](QWidget* w, const std::optional<QColor>& background, const std::optional<QColor>& textColour,
                    QPalette::ColorRole role) {
        QPalette pal = w->parentWidget() ? w->parentWidget()->palette() : QPalette();
        if (background) pal.setColor(role, *background);
        if (textColour) {
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                pal.setColor(group, QPalette::WindowText, *textColour);
                pal.setColor(group, QPalette::ButtonText, *textColour);
            }
        }
        w->setAutoFillBackground(background.has_value());
        if (w->palette() != pal) w->setPalette(pal);
    };
    // A style paints buttons with gradients and bevels of its own; the active state's colours
    // are shown as they are, flat.
    static const QString activeStyle = QStringLiteral(
        "QPushButton { background-color: rgb(%1, %2, %3); color: white; border: 1px solid rgb(96, 16, 16); }")
                                           .arg(panel::kActiveButton.red())
                                           .arg(panel::kActiveButton.green())
                                           .arg(panel::kActiveButton.blue());
    // The lamp blinks only while communication runs.
    const bool blinkPhase = running_ && blinkPhase_;
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        // The palette of a button is left alone: a style caches the buttons it draws by
        // their palettes, and a fresh palette at every change of state would leave a new
        // entry behind each time.
        const bool red = panel::ButtonActive(id, regs_, controlType_, running_, button->isEnabled());
        const QString style = red ? activeStyle : QString();
        if (button->styleSheet() != style) button->setStyleSheet(style);
        return;
    }
    if (qobject_cast<QLabel*>(w) || qobject_cast<QFrame*>(w) || qobject_cast<QGroupBox*>(w) || qobject_cast<QSlider*>(w)) {
        if (id == ids::CurrentGraph || id == ids::AngleDial) return;
        const auto c = panel::StaticColoursFor(id, regs_, controlType_, portOpen_, blinkPhase, w->isEnabled());
        paint(w, c.background, c.text, QPalette::Window);
    }
}

}  // namespace zentor
