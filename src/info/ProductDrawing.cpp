#include "info/ProductDrawing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QImage DrawProductPicture(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // DIN rail behind the module.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(176, 182, 188));
    p.drawRect(QRectF(8, 112, 240, 32));
    p.setBrush(QColor(150, 156, 162));
    p.drawRect(QRectF(8, 122, 240, 12));

    // Housing.
    const QRectF body(56, 20, 144, 216);
    QLinearGradient shade(body.topLeft(), body.topRight());
    shade.setColorAt(0, QColor(236, 238, 240));
    shade.setColorAt(1, QColor(204, 208, 212));
    p.setPen(QPen(QColor(90, 96, 104), 3));
    p.setBrush(shade);
    p.drawRoundedRect(body, 12, 12);

    // Front band with the name.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 92, 160));
    p.drawRect(QRectF(58, 40, 140, 34));
    QFont font;
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(58, 40, 140, 34), Qt::AlignCenter, QStringLiteral("QUENZOR"));

    // Status lights: power, network, serial line.
    const QColor lights[] = {QColor(60, 200, 80), QColor(250, 180, 30), QColor(60, 200, 80)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(60, 64, 70), 1.5));
        p.setBrush(lights[i]);
        p.drawEllipse(QPointF(92 + i * 36, 94), 7, 7);
    }

    // Network port.
    p.setPen(QPen(QColor(40, 44, 50), 2));
    p.setBrush(QColor(52, 56, 62));
    p.drawRect(QRectF(84, 118, 52, 44));
    p.setBrush(QColor(20, 22, 26));
    p.drawRect(QRectF(92, 128, 36, 26));
    p.setPen(QPen(QColor(200, 170, 60), 2));
    for (int i = 0; i < 6; ++i)
        p.drawLine(QPointF(97 + i * 5.2, 130), QPointF(97 + i * 5.2, 137));

    // RS485 terminal with three screws.
    p.setPen(QPen(QColor(30, 80, 40), 2));
    p.setBrush(QColor(46, 130, 70));
    p.drawRoundedRect(QRectF(76, 180, 104, 36), 4, 4);
    for (int i = 0; i < 3; ++i) {
        const QPointF c(98 + i * 30, 198);
        p.setPen(QPen(QColor(90, 96, 104), 1.5));
        p.setBrush(QColor(210, 214, 218));
        p.drawEllipse(c, 9, 9);
        p.setPen(QPen(QColor(90, 96, 104), 2.5));
        p.drawLine(c + QPointF(-6, 0), c + QPointF(6, 0));
    }
    p.end();
    return image;
}
