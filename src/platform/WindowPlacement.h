#pragma once
// Where a window that serves another one (the help, the text viewer) opens: beside that
// window, on the side with room, and always wholly on its screen.

#include <QRect>

class QWidget;

// The frame for a window of the given frame size beside the frame of another window,
// within area (the screen's available part). It goes to the right when the room there
// takes it, else to the left; where neither side takes it, to the side with more room,
// narrowed to that room when the room is at least narrowest wide; where even that fails,
// at the area's right edge, over the other window. Its top is level with the other
// window's as far as the area allows, and it is never larger than the area.
QRect PlaceBeside(const QRect& frame, QSize size, const QRect& area, int narrowest);

// Gives window (not yet shown) the client size, or less, and a place beside other on
// other's screen. Its frame is taken to be as thick as other's.
void PlaceWindowBeside(QWidget& window, const QWidget& other, QSize size, int narrowest);
