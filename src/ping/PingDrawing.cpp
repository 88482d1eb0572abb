#include "ping/PingDrawing.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QImage blank() {
    QImage image(kPingPictureSize, kPingPictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The gateway seen from the front: a box with its network port and three status lights.
void drawGateway(QPainter& p, bool lit) {
    const QRectF box(6, 22, 64, 48);
    p.setPen(QPen(QColor(40, 48, 56), 2));
    p.setBrush(lit ? QColor(70, 84, 98) : QColor(150, 156, 162));
    p.drawRoundedRect(box, 6, 6);
    p.setBrush(QColor(30, 34, 38));
    p.drawRect(QRectF(14, 44, 16, 14)); // network port
    p.setPen(Qt::NoPen);
    const QColor lights[] = {QColor(90, 220, 90), QColor(250, 190, 40), QColor(90, 220, 90)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lit ? lights[i] : QColor(120, 124, 128));
        p.drawEllipse(QPointF(42 + i * 9, 34), 3, 3);
    }
    p.setBrush(lit ? QColor(200, 206, 212) : QColor(185, 189, 193));
    p.drawRect(QRectF(38, 50, 26, 8)); // terminal block
}

void drawBadge(QPainter& p, const QColor& fill) {
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(fill);
    p.drawEllipse(QPointF(68, 66), 24, 24);
}

} // namespace

QImage DrawDeviceFoundPicture() {
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawGateway(p, true);
    drawBadge(p, QColor(40, 160, 70));
    QPainterPath tick;
    tick.moveTo(56, 66);
    tick.lineTo(65, 76);
    tick.lineTo(81, 56);
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    p.end();
    return image;
}

QImage DrawDeviceNotFoundPicture() {
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawGateway(p, false);
    drawBadge(p, QColor(110, 116, 124));
    QFont font;
    font.setBold(true);
    font.setPixelSize(34);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(44, 42, 48, 48), Qt::AlignCenter, QStringLiteral("?"));
    p.end();
    return image;
}

QImage DrawPingErrorPicture() {
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath sign;
    sign.moveTo(48, 8);
    sign.lineTo(90, 84);
    sign.lineTo(6, 84);
    sign.closeSubpath();
    p.setPen(QPen(QColor(150, 20, 20), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(215, 40, 40));
    p.drawPath(sign);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(43, 32, 10, 30), 4, 4);
    p.drawEllipse(QPointF(48, 72), 5.5, 5.5);
    p.end();
    return image;
}
