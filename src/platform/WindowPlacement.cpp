#include "platform/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect PlaceBeside(const QRect& frame, QSize size, const QRect& area, int narrowest)
{
    size = size.boundedTo(area.size());
    const int roomRight = area.right() - frame.right();
    const int roomLeft = frame.left() - area.left();
    const bool right = roomRight >= size.width() || (roomRight >= roomLeft && roomLeft < size.width());
    const int room = right ? roomRight : roomLeft;
    if (room < size.width() && room >= narrowest)
        size.setWidth(room);
    const int top = std::clamp(frame.top(), area.top(), area.bottom() + 1 - size.height());
    int left = area.right() + 1 - size.width();
    if (room >= size.width())
        left = right ? frame.right() + 1 : frame.left() - size.width();
    return {QPoint(left, top), size};
}

void PlaceWindowBeside(QWidget& window, const QWidget& other, QSize size, int narrowest)
{
    if (!other.screen())
        return;
    const QRect otherFrame = other.frameGeometry();
    const QRect otherClient = other.geometry();
    const QMargins decoration(otherClient.left() - otherFrame.left(), otherClient.top() - otherFrame.top(),
                              otherFrame.right() - otherClient.right(), otherFrame.bottom() - otherClient.bottom());
    const QRect frame = PlaceBeside(otherFrame, size.grownBy(decoration), other.screen()->availableGeometry(),
                                    narrowest);
    // A window's position is its frame's; its size is its client area's.
    window.resize(frame.size().shrunkBy(decoration));
    window.move(frame.topLeft());
}
