// Strings and icons. The icons are drawn here, at the size a dialog shows
// them.
#include "IconsAndStrings.h"

#include "ResourceIds.h"

#include <QPainter>
#include <QPainterPath>

QString LoadResString(int id) {
    switch (id) {
    case IDS_ABOUTBOX: return QStringLiteral("About");
    case IDS_STATUS_READY: return QStringLiteral("Reday");
    case IDS_STATUS_PROGRESS: return QStringLiteral("100");
    default: return {};
    }
}

namespace {

constexpr int kIconSize = 32;

// A chip seen from above: a dark body with four pins on each side.
void DrawChip(QPainter& p, const QRectF& body) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xB0, 0xB0, 0xB0));
    const qreal pin = body.width() / 9.0;
    for (int i = 0; i < 4; ++i) {
        const qreal off = body.left() + pin * (1 + 2 * i);
        p.drawRect(QRectF(off, body.top() - 3, pin, 3));
        p.drawRect(QRectF(off, body.bottom(), pin, 3));
        const qreal offY = body.top() + pin * (1 + 2 * i);
        p.drawRect(QRectF(body.left() - 3, offY, 3, pin));
        p.drawRect(QRectF(body.right(), offY, 3, pin));
    }
    p.setBrush(QColor(0x30, 0x34, 0x3C));
    p.drawRoundedRect(body, 2, 2);
}

// Icon 128 on a 32 x 32 grid; the painter's scale sets the size.
void PaintAppIcon(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    DrawChip(p, QRectF(5, 5, 22, 22));
    // A quill across the chip.
    QPainterPath feather;
    feather.moveTo(9, 24);
    feather.cubicTo(12, 14, 18, 8, 26, 5);
    feather.cubicTo(24, 13, 18, 20, 9, 24);
    p.setPen(QPen(QColor(0x1F, 0x5F, 0xBF), 1));
    p.setBrush(QColor(0x4A, 0x90, 0xE2));
    p.drawPath(feather);
    p.setPen(QPen(QColor(0xF0, 0xF0, 0xF0), 1.2));
    p.drawLine(QPointF(7, 27), QPointF(20, 13));
}

QPixmap DrawAppIcon() {
    QPixmap pm(kIconSize, kIconSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    PaintAppIcon(p);
    return pm;
}

// A round plug indicator: filled disc with a mark in white.
QPixmap DrawStateIcon(bool connected) {
    QPixmap pm(kIconSize, kIconSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = connected ? QColor(0x2E, 0xA0, 0x43) : QColor(0xC8, 0x32, 0x2D);
    p.setPen(QPen(fill.darker(130), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (connected) {
        QPainterPath tick;
        tick.moveTo(9.5, 16.5);
        tick.lineTo(14, 21);
        tick.lineTo(22.5, 11.5);
        p.drawPath(tick);
    } else {
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
    }
    return pm;
}

}  // namespace

QPixmap LoadIconPixmap(int id) {
    switch (id) {
    case IDR_MAINFRAME: return DrawAppIcon();
    case IDI_CONNECTED: return DrawStateIcon(true);
    case IDI_DISCONNECTED: return DrawStateIcon(false);
    default: return {};
    }
}

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(size / double(kIconSize), size / double(kIconSize));
    PaintAppIcon(p);
    return image;
}
