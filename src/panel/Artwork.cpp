#include "Artwork.h"

#include "ControlIds.h"
#include "PanelColours.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <map>
#include <utility>

namespace zentor::art {

namespace {

namespace rid = zentor::ids::art;

const QColor kTargetBlue = panel::kStatusBlue;
const QColor kActualOrange(249, 168, 37);
const QColor kPanelTop(34, 52, 74);
const QColor kPanelBottom(20, 31, 46);

// Segment geometry of a digit, in the 41 x 64 logical pixels of the image: the centre
// lines of the left and right columns and of the top, middle and bottom rows. The figure
// is centred with a margin of about five pixels, so five digits side by side read as one
// display.
constexpr qreal kLeftX = 8.5, kRightX = 32.5;
constexpr qreal kTopY = 7.5, kMiddleY = 32.0, kBottomY = 56.5;
constexpr qreal kHalf = 3.25;  // half the stroke of a segment
constexpr qreal kGap = 1.4;    // space between the tips of neighbouring segments

// A horizontal segment with pointed ends, its tips at x0 and x1.
QPolygonF Horizontal(qreal x0, qreal x1, qreal y)
{
    return QPolygonF({QPointF(x0, y), QPointF(x0 + kHalf, y - kHalf), QPointF(x1 - kHalf, y - kHalf), QPointF(x1, y),
                      QPointF(x1 - kHalf, y + kHalf), QPointF(x0 + kHalf, y + kHalf)});
}

QPolygonF Vertical(qreal x, qreal y0, qreal y1)
{
    return QPolygonF({QPointF(x, y0), QPointF(x + kHalf, y0 + kHalf), QPointF(x + kHalf, y1 - kHalf), QPointF(x, y1),
                      QPointF(x - kHalf, y1 - kHalf), QPointF(x - kHalf, y0 + kHalf)});
}


QPolygonF SegmentShape(int bit)
{
    switch (bit) {
    case SegA: return Horizontal(kLeftX + kGap, kRightX - kGap, kTopY);
    case SegB: return Vertical(kRightX, kTopY + kGap, kMiddleY - kGap);
    case SegC: return Vertical(kRightX, kMiddleY + kGap, kBottomY - kGap);
    case SegD: return Horizontal(kLeftX + kGap, kRightX - kGap, kBottomY);
    case SegE: return Vertical(kLeftX, kMiddleY + kGap, kBottomY - kGap);
    case SegF: return Vertical(kLeftX, kTopY + kGap, kMiddleY - kGap);
    default: return Horizontal(kLeftX + kGap, kRightX - kGap, kMiddleY);
    }
}

void DrawDigit(QPainter& p, int segments)
{
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(kDigitSize)), kDigitGround);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    for (int bit = SegA; bit <= SegG; bit <<= 1) {
        p.setBrush((segments & bit) ? kDigitLit : kDigitUnlit);
        p.drawPolygon(SegmentShape(bit));
    }
}

// A stylised motor seen from its shaft end: a stator ring with teeth, a rotor of four
// magnets in the console's two colours, and the shaft. `teeth` 0 leaves the teeth out for
// small renderings.
void DrawMotor(QPainter& p, QPointF c, qreal radius, int teeth, const QColor& ring)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(ring);
    p.drawEllipse(c, radius, radius);
    const qreal gapRadius = radius * 0.74;
    if (teeth > 0) {
        // The slots between the teeth, cut into the stator ring.
        p.setBrush(ring.darker(135));
        for (int i = 0; i < teeth; ++i) {
            p.save();
            p.translate(c);
            p.rotate(360.0 * i / teeth + 180.0 / teeth);
            p.drawRect(QRectF(-radius * 0.045, -radius * 0.90, radius * 0.09, radius * 0.22));
            p.restore();
        }
    }
    p.setBrush(ring.darker(170));
    p.drawEllipse(c, gapRadius, gapRadius);
    const qreal rotor = radius * 0.66;
    const QRectF box(c.x() - rotor, c.y() - rotor, 2 * rotor, 2 * rotor);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(i % 2 ? kTargetBlue : kActualOrange);
        p.drawPie(box, (45 + 90 * i) * 16, 90 * 16);
    }
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(c, radius * 0.22, radius * 0.22);
    p.setBrush(QColor(90, 100, 112));
    p.drawEllipse(c, radius * 0.09, radius * 0.09);
}

void DrawLeftPicture(QPainter& p)
{
    const QSizeF size(kLeftPictureSize);
    QLinearGradient ground(0, 0, 0, size.height());
    ground.setColorAt(0.0, kPanelTop);
    ground.setColorAt(1.0, kPanelBottom);
    p.fillRect(QRectF(QPointF(0, 0), size), ground);
    p.setRenderHint(QPainter::Antialiasing, true);

    // A quiet pattern of rings behind the motor, and a thin accent on the right edge.
    p.setBrush(Qt::NoBrush);
    const QPointF motorCentre(size.width() / 2, 470);
    for (int i = 1; i <= 5; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 14), 1.0));
        p.drawEllipse(motorCentre, 62.0 + 18 * i, 62.0 + 18 * i);
    }
    p.fillRect(QRectF(size.width() - 3, 0, 3, size.height()), QColor(panel::kStatusBlue.red(), panel::kStatusBlue.green(), panel::kStatusBlue.blue(), 120));

    if (qGuiApp) {
        QFont name = ArialFont(38, QFont::Bold);
        name.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        p.setFont(name);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 40, size.width(), 50), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Zentor"));
        p.fillRect(QRectF(size.width() / 2 - 28, 96, 56, 3), kActualOrange);
        QFont caption = ArialFont(12, QFont::Normal);
        caption.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
        p.setFont(caption);
        p.setPen(QColor(180, 196, 214));
        p.drawText(QRectF(0, 108, size.width(), 18), Qt::AlignHCenter, QStringLiteral("BLDC MOTOR CONSOLE"));
        p.setPen(QColor(120, 138, 160));
        p.drawText(QRectF(0, size.height() - 40, size.width(), 18), Qt::AlignHCenter,
                   QStringLiteral("Modbus RTU  \u00B7  Serial"));
    }
    DrawMotor(p, motorCentre, 62, 12, QColor(176, 188, 202));
}

void DrawTopPicture(QPainter& p)
{
    const QSizeF size(kTopPictureSize);
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0.0, kTargetBlue);
    // Through pale tints, so the two colours never mix into a muddy middle.
    band.setColorAt(0.80, QColor(196, 228, 248));
    band.setColorAt(0.90, QColor(252, 226, 184));
    band.setColorAt(1.0, kActualOrange);
    p.fillRect(QRectF(QPointF(0, 0), size), band);
    // A lighter upper half gives the strip a little depth.
    p.fillRect(QRectF(0, 0, size.width(), size.height() / 2), QColor(255, 255, 255, 40));
}

// The icon at an edge length of `edge` logical pixels; fewer details at small sizes.
void DrawIcon(QPainter& p, qreal edge)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    QLinearGradient ground(0, 0, 0, edge);
    ground.setColorAt(0.0, kPanelTop.lighter(115));
    ground.setColorAt(1.0, kPanelBottom);
    p.setBrush(ground);
    const qreal corner = edge * 0.18;
    p.drawRoundedRect(QRectF(0, 0, edge, edge), corner, corner);
    const int teeth = edge >= 48 ? 12 : (edge >= 32 ? 8 : 0);
    DrawMotor(p, QPointF(edge / 2, edge / 2), edge * 0.42, teeth, QColor(196, 206, 218));
}

QSize NaturalSize(int id)
{
    if (DigitSegments(id) >= 0) return kDigitSize;
    if (id == rid::LeftPicture) return kLeftPictureSize;
    if (id == rid::TopPicture) return kTopPictureSize;
    if (id == rid::Icon) return QSize(kIconImageSize, kIconImageSize);
    return QSize();
}

QImage Render(int id, QSize logical, qreal dpr)
{
    QImage image((QSizeF(logical) * dpr).toSize(), id == rid::Icon ? QImage::Format_ARGB32_Premultiplied
                                                                   : QImage::Format_RGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(dpr, dpr);
    const int segments = DigitSegments(id);
    if (segments >= 0)
        DrawDigit(p, segments);
    else if (id == rid::LeftPicture)
        DrawLeftPicture(p);
    else if (id == rid::TopPicture)
        DrawTopPicture(p);
    else
        DrawIcon(p, logical.width());
    p.end();
    image.setDevicePixelRatio(dpr);
    return image;
}

}  // namespace

int DigitSegments(int id)
{
    switch (id) {
    case rid::Digit0: return SegA | SegB | SegC | SegD | SegE | SegF;
    case rid::Digit1: return SegB | SegC;
    case rid::Digit2: return SegA | SegB | SegD | SegE | SegG;
    case rid::Digit3: return SegA | SegB | SegC | SegD | SegG;
    case rid::Digit4: return SegB | SegC | SegF | SegG;
    case rid::Digit5: return SegA | SegC | SegD | SegF | SegG;
    case rid::Digit6: return SegA | SegC | SegD | SegE | SegF | SegG;
    case rid::Digit7: return SegA | SegB | SegC;
    case rid::Digit8: return SegA | SegB | SegC | SegD | SegE | SegF | SegG;
    case rid::Digit9: return SegA | SegB | SegC | SegD | SegF | SegG;
    case rid::Blank: return 0;
    case rid::Dash: return SegG;
    case rid::FaultF: return SegA | SegE | SegF | SegG;
    case rid::FaultA: return SegA | SegB | SegC | SegE | SegF | SegG;
    case rid::FaultU: return SegB | SegC | SegD | SegE | SegF;
    case rid::FaultL: return SegD | SegE | SegF;
    case rid::FaultT: return SegD | SegE | SegF | SegG;
    default: return -1;
    }
}

QImage Image(int resourceId)
{
    return Image(resourceId, 1.0);
}

QImage Image(int resourceId, qreal devicePixelRatio)
{
    const QSize logical = NaturalSize(resourceId);
    if (logical.isEmpty() || !(devicePixelRatio > 0) || devicePixelRatio > 16) return QImage();
    // Rendered once per id and ratio; the window thread is the only user.
    static std::map<std::pair<int, qreal>, QImage> cache;
    const auto key = std::make_pair(resourceId, devicePixelRatio);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, Render(resourceId, logical, devicePixelRatio)).first;
    return it->second;
}

QPixmap DigitPixmap(int resourceId, qreal devicePixelRatio)
{
    // Not kept: a pixmap must not outlive the application object, and the conversion of a
    // kept image is cheap.
    const QImage image = Image(resourceId, devicePixelRatio);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QIcon AppIcon()
{
    QIcon icon;
    for (const int edge : kIconSizes) {
        QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        DrawIcon(p, edge);
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QFont ArialFont(int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QString WindowsFontFamily(const QStringList& installedFamilies)
{
    for (const char* wanted : {"Segoe UI", "Tahoma", "DejaVu Sans", "Liberation Sans", "Arial"})
        for (const QString& family : installedFamilies)
            if (family.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0) return family;
    return {};
}

}  // namespace zentor::art
