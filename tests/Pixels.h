#pragma once
// What a widget looks like on screen, whatever the style paints: its own pixels.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <initializer_list>

namespace zentor::testing {

// Whether the widget as painted holds a pixel of each colour.
inline bool paintedWith(QWidget* w, std::initializer_list<QColor> colours)
{
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const QColor& c : colours) {
        bool found = false;
        for (int y = 0; y < image.height() && !found; ++y)
            for (int x = 0; x < image.width() && !found; ++x) found = QColor(image.pixel(x, y)) == c;
        if (!found) return false;
    }
    return true;
}

}  // namespace zentor::testing
