#pragma once
// The off-screen image a drawn control renders into and copies on paint: kept in device
// pixels so the drawing stays crisp on a scaled screen, and made anew when the control's
// client size or pixel ratio changes.

#include <QColor>
#include <QImage>
#include <QSize>

namespace zentor {

// True when an image made for lastClient no longer serves client at the pixel ratio dpr.
inline bool OffscreenImageStale(const QImage& image, QSize client, QSize lastClient, qreal dpr)
{
    const bool sameImage = image.isNull() ? client.isEmpty() : image.devicePixelRatio() == dpr;
    return client != lastClient || !sameImage;
}

// An image of the client size in device pixels, filled; a null image for an empty client.
inline QImage MakeOffscreenImage(QSize client, qreal dpr, const QColor& fill)
{
    if (client.isEmpty()) return QImage();
    QImage image((QSizeF(client) * dpr).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(fill);
    return image;
}

}  // namespace zentor
