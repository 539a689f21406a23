#include "widgets/OutlineImages.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include <functional>

namespace {

using TDraw = std::function<void(QPainter&)>;

// Draws on a 32 x 32 design grid scaled to size.
QPixmap Render(int size, const TDraw& draw)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    return pixmap;
}

QIcon IconAt(std::initializer_list<int> sizes, const TDraw& draw)
{
    QIcon icon;
    for (int size : sizes)
        icon.addPixmap(Render(size, draw));
    return icon;
}

QPen Outline(const QColor& color, qreal width = 2.0)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Folder(QPainter& p, const QColor& body, const QColor& edge)
{
    QPainterPath path;
    path.moveTo(3, 8);
    path.lineTo(12, 8);
    path.lineTo(15, 11);
    path.lineTo(29, 11);
    path.lineTo(29, 27);
    path.lineTo(3, 27);
    path.closeSubpath();
    p.setPen(Outline(edge, 1.6));
    p.setBrush(body);
    p.drawPath(path);
    p.setBrush(body.lighter(115));
    p.drawRect(QRectF(3, 14, 26, 13));
}

void Page(QPainter& p)
{
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setPen(Outline(QColor(90, 100, 115), 1.6));
    p.setBrush(QColor(250, 251, 253));
    p.drawPath(page);
    p.setBrush(QColor(215, 222, 232));
    p.drawPolygon(QPolygonF({QPointF(20, 3), QPointF(20, 9), QPointF(26, 9)}));
}

void Arrow(QPainter& p, qreal angleDegrees, const QColor& color, QPointF centre = {16, 16},
           qreal scale = 1.0)
{
    p.save();
    p.translate(centre);
    p.rotate(angleDegrees);
    p.scale(scale, scale);
    // Pointing right before the rotation.
    QPainterPath path;
    path.moveTo(-11, -4);
    path.lineTo(1, -4);
    path.lineTo(1, -10);
    path.lineTo(12, 0);
    path.lineTo(1, 10);
    path.lineTo(1, 4);
    path.lineTo(-11, 4);
    path.closeSubpath();
    p.setPen(Outline(color.darker(140), 1.5));
    p.setBrush(color);
    p.drawPath(path);
    p.restore();
}

void DrawOutlineIcon(QPainter& p, int n)
{
    switch (n) {
    case 0: { // a grey-blue diamond
        QPainterPath d;
        d.moveTo(16, 4);
        d.lineTo(28, 16);
        d.lineTo(16, 28);
        d.lineTo(4, 16);
        d.closeSubpath();
        p.setPen(Outline(QColor(60, 80, 120)));
        p.setBrush(QColor(120, 150, 200));
        p.drawPath(d);
        break;
    }
    case 1: { // a green disc with a white "run" triangle
        p.setPen(Outline(QColor(30, 110, 50)));
        p.setBrush(QColor(70, 170, 90));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(12, 9), QPointF(23, 16), QPointF(12, 23)}));
        break;
    }
    case 2: { // an amber field box with two value lines
        p.setPen(Outline(QColor(150, 90, 10)));
        p.setBrush(QColor(245, 180, 60));
        p.drawRoundedRect(QRectF(4, 6, 24, 20), 4, 4);
        p.setPen(Outline(QColor(255, 250, 235), 2.6));
        p.drawLine(QPointF(9, 13), QPointF(23, 13));
        p.drawLine(QPointF(9, 19), QPointF(19, 19));
        break;
    }
    default: { // the container: a folder with a plus to step into
        Folder(p, QColor(240, 200, 80), QColor(150, 110, 20));
        p.setPen(Outline(QColor(120, 80, 0), 2.6));
        p.drawLine(QPointF(16, 16), QPointF(16, 25));
        p.drawLine(QPointF(11.5, 20.5), QPointF(20.5, 20.5));
        break;
    }
    }
}

void DrawActionImage(QPainter& p, int n)
{
    const QColor blue(60, 120, 210);
    const QColor green(60, 160, 80);
    switch (n) {
    case 0: // open: a folder with an arrow out of it
        Folder(p, QColor(240, 200, 80), QColor(150, 110, 20));
        Arrow(p, -90, blue, {21, 13}, 0.6);
        break;
    case 1: Arrow(p, 180, blue); break;
    case 2: Arrow(p, 0, blue); break;
    case 3: Arrow(p, -90, green); break;
    case 4:
        Page(p);
        Arrow(p, 180, blue, {15, 19}, 0.62);
        break;
    case 5:
        Page(p);
        Arrow(p, 0, blue, {18, 19}, 0.62);
        break;
    case 6: { // help: a blue disc with a question mark
        p.setPen(Outline(QColor(30, 70, 150)));
        p.setBrush(blue);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        QFont font;
        font.setBold(true);
        font.setPixelSize(20);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case 7: { // search: a magnifier, its handle dark on a light toolbar and light on a dark one
        const bool darkToolbar = QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
        const QColor handle = darkToolbar ? QColor(175, 175, 190) : QColor(70, 70, 80);
        p.setPen(Outline(handle, 4.0));
        p.drawLine(QPointF(20, 20), QPointF(28, 28));
        p.setPen(Outline(handle, 2.4));
        p.setBrush(QColor(200, 225, 250));
        p.drawEllipse(QRectF(4, 4, 18, 18));
        break;
    }
    case 8: { // explore: a folder with a list of files
        Folder(p, QColor(240, 200, 80), QColor(150, 110, 20));
        p.setPen(Outline(QColor(120, 80, 0), 2.0));
        for (int y : {17, 21, 25}) {
            p.drawPoint(QPointF(9, y - 0.5));
            p.drawLine(QPointF(13, y - 0.5), QPointF(24, y - 0.5));
        }
        break;
    }
    default: // export: a page with an arrow leaving it
        Page(p);
        Arrow(p, 0, green, {21, 20}, 0.62);
        break;
    }
}

} // namespace

QIcon OutlineIcon(int n)
{
    return IconAt({16, 20, 32}, [n](QPainter& p) { DrawOutlineIcon(p, n); });
}

std::vector<QIcon> OutlineIcons()
{
    std::vector<QIcon> icons;
    for (int n = 0; n < kOutlineIconCount; ++n)
        icons.push_back(OutlineIcon(n));
    return icons;
}

QIcon ActionImage(int n)
{
    return IconAt({16, 24, 32}, [n](QPainter& p) { DrawActionImage(p, n); });
}

QIcon ProgramIcon()
{
    // The picture is a resource of this static library; naming its initialiser keeps the
    // linker from leaving it out.
    Q_INIT_RESOURCE(ProgramIcon);
    return QIcon(QStringLiteral(":/quillane.png"));
}

QIcon ShellFolderIcon()
{
    return IconAt({16, 20, 32},
                  [](QPainter& p) { Folder(p, QColor(240, 200, 80), QColor(150, 110, 20)); });
}

QIcon ShellFileIcon()
{
    return IconAt({16, 20, 32}, [](QPainter& p) {
        Page(p);
        p.setPen(Outline(QColor(60, 120, 210), 2.2));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(11, 14 + i * 5), QPointF(22 - (i % 2) * 4, 14 + i * 5));
    });
}
