#include "window_placement.h"

#include "settings/window_geometry.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace brikmux {

namespace {

QMargins frameMargins(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

QMargins knownFrameMargins(const QWidget& window)
{
    const QMargins own = frameMargins(window);
    if (!own.isNull() || window.isVisible()) {
        return own;
    }
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != &window && other->isVisible() && !frameMargins(*other).isNull()) {
            return frameMargins(*other);
        }
    }
    return {};
}

} // namespace

QSize outerSize(const QWidget& window)
{
    return window.size().grownBy(knownFrameMargins(window));
}

void centreOn(QWidget& window, const QWidget& owner)
{
    const QRect outer = owner.frameGeometry();
    const QSize own = outerSize(window);
    auto twips = [](int pixels) { return static_cast<float>(pixels * kTwipsPerPixel); };
    const int dx = centringOffset(twips(outer.width()) - twips(own.width()));
    const int dy = centringOffset(twips(outer.height()) - twips(own.height()));
    // Whole twips back to pixels; the offsets are multiples of 15 halved, so at most half a pixel off.
    window.move(outer.x() + dx / kTwipsPerPixel, outer.y() + dy / kTwipsPerPixel);
}

bool titleBarOnAScreen(const QWidget& window)
{
    // The strip that a window manager draws the title bar in, or at least a few pixels of edge.
    constexpr int kLeast = 8;
    const QMargins frame = knownFrameMargins(window);
    const QRect strip(window.pos(), QSize(outerSize(window).width(), std::max(frame.top(), kLeast)));
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect reachable = screen->availableGeometry().intersected(strip);
        if (reachable.width() >= 4 * kLeast && reachable.height() >= std::min(strip.height(), kLeast)) {
            return true;
        }
    }
    return false;
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
