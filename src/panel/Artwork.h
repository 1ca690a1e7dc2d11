#pragma once
// The console's artwork, drawn by code: the 17 seven-segment digit images of the RPM
// display, the two fixed pictures of the main window and the application icon, each
// rendered once per pixel ratio and kept.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QStringList>

namespace zentor::art {

// Size of a digit image in logical pixels.
inline constexpr QSize kDigitSize{41, 64};
// Natural sizes of the fixed pictures: 160 along the window's left edge, 161 across the
// top of the right-hand area.
inline constexpr QSize kLeftPictureSize{200, 680};
inline constexpr QSize kTopPictureSize{956, 6};
// The icon image returned for id 128, and the sizes the application icon carries.
inline constexpr int kIconImageSize = 256;
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 256};

// Colours of the digit images: a pale ground, orange lit segments, faint unlit segments.
inline const QColor kDigitGround{250, 247, 240};
inline const QColor kDigitLit{242, 128, 12};
inline const QColor kDigitUnlit{234, 226, 212};

// Segments of a seven-segment figure: bit 0 a (top), 1 b (upper right), 2 c (lower right),
// 3 d (bottom), 4 e (lower left), 5 f (upper left), 6 g (middle).
enum Segment : int { SegA = 1, SegB = 2, SegC = 4, SegD = 8, SegE = 16, SegF = 32, SegG = 64 };
// The lit segments of a digit image id (figures, blank, dash, fault letters); -1 for an id
// that is not a digit image.
int DigitSegments(int resourceId);

// The image of a resource id at its natural size (a digit 41 x 64), or a null image for an
// unknown id. The pictures and the icon carry text and shapes drawn with fonts, so a
// QGuiApplication must exist.
QImage Image(int resourceId);
// The same image rendered for a device pixel ratio: the natural size times the ratio in
// device pixels, with that ratio set, so it is drawn crisp on a scaled screen.
QImage Image(int resourceId, qreal devicePixelRatio);
// A digit (or any other) image as a pixmap for a device pixel ratio, e.g. 82 x 128 device
// pixels at ratio 2.
QPixmap DigitPixmap(int resourceId, qreal devicePixelRatio);
// The application icon (resource 128) with renderings of 16, 32, 48, 64 and 256 pixels.
QIcon AppIcon();

// Arial where it exists, else a sans serif of the same widths (the label boxes of the drawn
// controls are sized for Arial), else any sans serif; sized in pixels.
QFont ArialFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// The window font on Windows, which the console sets at start-up: Segoe UI, the dialog font of
// Windows since Vista; else Tahoma, the font "MS Shell Dlg 2" names; else (Wine on a Linux
// machine, which has neither) the sans serifs the Linux console is laid out with. The first of
// them among the installed families (matched without regard to case, returned as installed),
// or an empty text when none is there. At kWindowFontPoints points.
QString WindowsFontFamily(const QStringList& installedFamilies);
inline constexpr int kWindowFontPoints = 9;

}  // namespace zentor::art
