#include "app/ButtonPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <initializer_list>

namespace {

constexpr int kSize = 64;

// A closed path through the points.
QPainterPath ClosedPath(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    for (const QPointF& point : points) {
        if (path.elementCount() == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

void DrawPage(QPainter& p, const QRectF& r, const QColor& fill)
{
    const qreal fold = r.width() / 4;
    const QPainterPath page = ClosedPath(
        {r.topLeft(), {r.right() - fold, r.top()}, {r.right(), r.top() + fold}, r.bottomRight(), r.bottomLeft()});
    p.setPen(QPen(QColor(0x55, 0x5B, 0x66), 1.5));
    p.setBrush(fill);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xD8, 0xDD, 0xE4));
    p.drawPath(corner);
    p.setPen(QPen(QColor(0x9A, 0xA4, 0xB2), 2));
    for (qreal y = r.top() + fold + 6; y < r.bottom() - 4; y += 6)
        p.drawLine(QPointF(r.left() + 5, y), QPointF(r.right() - 5, y));
}

void DrawChooseFiles(QPainter& p)
{
    // Back of the folder, a page standing in it, the folder's front.
    const QPainterPath back = ClosedPath({{6, 16}, {24, 16}, {29, 21}, {58, 21}, {58, 54}, {6, 54}});
    p.setPen(QPen(QColor(0x9C, 0x6B, 0x12), 1.5));
    p.setBrush(QColor(0xE8, 0xA8, 0x2E));
    p.drawPath(back);

    DrawPage(p, QRectF(18, 6, 30, 38), Qt::white);

    QLinearGradient front(0, 28, 0, 58);
    front.setColorAt(0, QColor(0xFF, 0xD5, 0x6A));
    front.setColorAt(1, QColor(0xF2, 0xB1, 0x34));
    const QPainterPath frontPath = ClosedPath({{4, 30}, {60, 30}, {57, 56}, {7, 56}});
    p.setPen(QPen(QColor(0x9C, 0x6B, 0x12), 1.5));
    p.setBrush(front);
    p.drawPath(frontPath);
}

void DrawConfigure(QPainter& p)
{
    // A gear: twelve teeth around a ring.
    const QPointF centre(32, 32);
    QPainterPath gear;
    const int teeth = 12;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal radius = (i % 2 == 0) ? 27 : 21;
        const qreal a0 = (i - 0.5) * M_PI / teeth;
        const qreal a1 = (i + 0.5) * M_PI / teeth;
        const QPointF from = centre + QPointF(radius * qCos(a0), radius * qSin(a0));
        const QPointF to = centre + QPointF(radius * qCos(a1), radius * qSin(a1));
        if (i == 0)
            gear.moveTo(from);
        else
            gear.lineTo(from);
        gear.lineTo(to);
    }
    gear.closeSubpath();
    gear.addEllipse(centre, 9, 9);
    gear.setFillRule(Qt::OddEvenFill);
    QRadialGradient metal(centre, 28);
    metal.setColorAt(0, QColor(0xB8, 0xC7, 0xD6));
    metal.setColorAt(1, QColor(0x5E, 0x74, 0x8A));
    p.setPen(QPen(QColor(0x33, 0x44, 0x55), 1.5));
    p.setBrush(metal);
    p.drawPath(gear);
}

void DrawOptimize(QPainter& p)
{
    // A page squeezed by two arrows, with a lightning bolt.
    DrawPage(p, QRectF(16, 6, 32, 52), Qt::white);
    const QPainterPath bolt = ClosedPath({{36, 12}, {24, 34}, {32, 34}, {27, 54}, {42, 28}, {34, 28}, {39, 12}});
    p.setPen(QPen(QColor(0xB3, 0x5C, 0x00), 1.2));
    p.setBrush(QColor(0xFF, 0xB0, 0x1F));
    p.drawPath(bolt);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1A, 0x99, 0xCC));
    for (int side : {0, 1}) {
        const qreal x = side == 0 ? 2 : 62;
        const qreal dir = side == 0 ? 1 : -1;
        const QPainterPath arrow = ClosedPath({{x, 28},
                                               {x + dir * 7, 28},
                                               {x + dir * 7, 22},
                                               {x + dir * 14, 32},
                                               {x + dir * 7, 42},
                                               {x + dir * 7, 36},
                                               {x, 36}});
        p.drawPath(arrow);
    }
}

void DrawExit(QPainter& p)
{
    // An open door and an arrow leaving through it.
    p.setPen(QPen(QColor(0x5A, 0x3A, 0x1E), 1.5));
    p.setBrush(QColor(0x4A, 0x2F, 0x18));
    p.drawRect(QRectF(10, 6, 30, 52));
    const QPainterPath door = ClosedPath({{10, 6}, {28, 12}, {28, 62}, {10, 58}});
    p.setBrush(QColor(0xC0, 0x7A, 0x3A));
    p.drawPath(door);
    p.setBrush(QColor(0xF2, 0xD0, 0x5A));
    p.drawEllipse(QPointF(24, 36), 2, 2);

    const QPainterPath arrow = ClosedPath({{32, 28}, {46, 28}, {46, 20}, {60, 32}, {46, 44}, {46, 36}, {32, 36}});
    p.setPen(QPen(QColor(0x8E, 0x1B, 0x1B), 1.2));
    p.setBrush(QColor(0xD9, 0x3A, 0x3A));
    p.drawPath(arrow);
}

}  // namespace

QPixmap DrawButtonPicture(ButtonPicture picture)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case ButtonPicture::ChooseFiles: DrawChooseFiles(p); break;
    case ButtonPicture::Configure: DrawConfigure(p); break;
    case ButtonPicture::Optimize: DrawOptimize(p); break;
    case ButtonPicture::Exit: DrawExit(p); break;
    }
    return pixmap;
}
