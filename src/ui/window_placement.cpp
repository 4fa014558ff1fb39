#include "window_placement.h"

#include "settings/window_geometry.h"

#include <QIcon>
#include <QWidget>

namespace brikmux {

void centreOn(QWidget& window, const QWidget& owner)
{
    const QRect outer = owner.frameGeometry();
    const QRect own = window.frameGeometry();
    auto twips = [](int pixels) { return static_cast<float>(pixels * kTwipsPerPixel); };
    const int dx = centringOffset(twips(outer.width()) - twips(own.width()));
    const int dy = centringOffset(twips(outer.height()) - twips(own.height()));
    // Whole twips back to pixels; the offsets are multiples of 15 halved, so at most half a pixel off.
    window.move(outer.x() + dx / kTwipsPerPixel, outer.y() + dy / kTwipsPerPixel);
}

void place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/artwork/brikmux-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

void setProgramIcon(QWidget& window)
{
    window.setWindowIcon(programIcon());
}

} // namespace brikmux
