#pragma once

#include <QIcon>

class QWidget;

namespace brikmux {

// Moves window so that it is centred on owner's outer rectangle, by the centring rule on the two
// outer sizes in twips; its size does not change.
void centreOn(QWidget& window, const QWidget& owner);

// The program icon, at every size it is drawn in.
QIcon programIcon();

// Places a control at a position and size given in twips.
void place(QWidget* control, int left, int top, int width, int height);

// Puts the program icon on window.
void setProgramIcon(QWidget& window);

} // namespace brikmux
