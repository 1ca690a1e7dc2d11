#pragma once
// CDrawStatic: the main window's rotor angle dial (control 1053), showing where the target
// and the actual position lie within one output revolution; it renders into an off-screen
// image and only copies that image to the screen when it paints.

#include "PanelColours.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace zentor {

// A position as the dial writes it: "%d" of the value, followed by "°" in degrees mode.
QString FormatPosition(int32_t value, bool degreesMode);

class CDrawStatic : public QWidget {
    Q_OBJECT
public:
    explicit CDrawStatic(QWidget* parent = nullptr);
    ~CDrawStatic() override;

    // Steps per revolution, target and actual position: sets the texts and the marker
    // angles and redraws. Steps 0 puts both markers at 12 o'clock.
    void SetValues(int32_t stepsPerRevolution, int32_t target, int32_t actual);
    // Renders into the off-screen image and requests a repaint.
    void Redraw();

    // Plain flags of the owner; they take effect at the next SetValues.
    void SetDegreesMode(bool on) { degreesMode_ = on; }
    bool DegreesMode() const { return degreesMode_; }
    void SetActualShown(bool on) { actualShown_ = on; }
    bool ActualShown() const { return actualShown_; }

    // Degrees clockwise from 12 o'clock; 225 and 135 until the first SetValues.
    float TargetAngle() const { return targetAngle_; }
    float ActualAngle() const { return actualAngle_; }
    const QString& StepsText() const { return stepsText_; }
    const QString& TargetText() const { return targetText_; }
    const QString& ActualText() const { return actualText_; }

    // Geometry of the client area (origin 0, 0), GDI style rectangles.
    QPoint Centre() const { return QPoint(centreX_, centreY_); }
    int Radius() const { return radius_; }
    QRect StepsTextBox() const { return stepsBox_; }
    QRect TargetTextBox() const { return targetBox_; }
    QRect CentreTextBox() const { return centreBox_; }

    // The off-screen image, in device pixels (equal to the client pixels at ratio 1).
    const QImage& Bitmap() const { return bitmap_; }
    // How many times Redraw asked for a repaint.
    int RepaintRequests() const { return repaintRequests_; }

    static inline const QColor kBackground{240, 240, 240};
    static inline const QColor kHub{225, 225, 225};
    static inline const QColor kFace{240, 240, 240};
    static inline const QColor kActual{249, 168, 37};
    static inline const QColor kTarget = panel::kStatusBlue;
    static inline const QColor kRing{192, 192, 192};
    static inline const QColor kDark{128, 128, 128};

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Centre, radius, text boxes and an image of the client size; true when they changed.
    bool SetUpGeometry();
    void Render();
    QPoint MarkerCentre(float angle, int distance) const;

    QFont largeFont_;
    QFont smallFont_;
    QImage bitmap_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int centreX_ = 0, centreY_ = 0, radius_ = 0;
    QRect stepsBox_, targetBox_, centreBox_;
    float targetAngle_ = 225.0f;
    float actualAngle_ = 135.0f;
    QString actualText_;
    QString targetText_;
    QString stepsText_;
    bool degreesMode_ = true;
    bool actualShown_ = true;
    int repaintRequests_ = 0;
};

}  // namespace zentor
