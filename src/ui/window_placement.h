#pragma once

#include <QIcon>
#include <QSize>

class QWidget;

namespace brikmux {

// Moves window so that it is centred on owner's outer rectangle, by the centring rule on the two
// outer sizes in twips; its size does not change.
void centreOn(QWidget& window, const QWidget& owner);

// The outer size of a top-level window, frame and title bar included. Platforms that know a frame
// before the window is mapped report it once the native window exists (create it first); where
// none does (X11), the frame of a shown window of the program stands in.
QSize outerSize(const QWidget& window);

// True when the user can take hold of window's title bar: at least 8 pixels of the height and 32
// of the width of its outer rectangle's top strip (30 pixels, or the frame's top margin where
// larger) lie on one screen's available area.
bool titleBarOnAScreen(const QWidget& window);

// The program icon, at every size it is drawn in.
QIcon programIcon();

// Places a control at a position and size given in twips.
void place(QWidget* control, int left, int top, int width, int height);

// Puts the program icon on window.
void setProgramIcon(QWidget& window);

} // namespace brikmux
