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
    // The title bar: the top 30 pixels of the outer rectangle, or the frame's top margin where the
    // window manager draws a taller one. Windows puts invisible resize borders above it, so a
    // window at a screen's top edge starts a few pixels above it.
    constexpr int kTitleBar = 30;
    constexpr int kLeastHeight = 8;
    constexpr int kLeastWidth = 32;
    const QRect strip(window.pos(),
                      QSize(outerSize(window).width(), std::max(knownFrameMargins(window).top(), kTitleBar)));
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect reachable = screen->availableGeometry().intersected(strip);
        if (reachable.width() >= kLeastWidth && reachable.height() >= kLeastHeight) {
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
