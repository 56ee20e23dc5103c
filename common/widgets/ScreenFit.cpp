#include "ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenFit {

namespace {

/// The frame a window manager usually adds, while the window's own is not known yet.
const QMargins UsualFrame(4, 28, 4, 4);

const QScreen *screenOf(const QWidget &window)
{
    const QWidget *anchor = window.parentWidget() ? window.parentWidget() : &window;
    return anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
}

/// The window's frame as the window manager drew it, or the usual one before it has.
QMargins frameOf(const QWidget &window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    return frame.isNull() ? UsualFrame : frame;
}

} // namespace

void resizeWithin(QWidget &window, const QSize &wanted)
{
    const QScreen *screen = screenOf(window);
    // Room for the title bar and the frame the window manager adds.
    const QSize frame(16, 48);
    window.resize(screen ? wanted.boundedTo(screen->availableGeometry().size() - frame) : wanted);
}

void centre(QWidget &window)
{
    const QScreen *screen = screenOf(window);
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    QRect outer(QPoint(), window.size().grownBy(frame));
    outer.moveCenter(free.center());
    // Too tall or too wide for the screen: the title bar and the left edge stay on it.
    outer.moveTop(std::max(free.top(), std::min(outer.top(), free.bottom() + 1 - outer.height())));
    outer.moveLeft(std::max(free.left(), std::min(outer.left(), free.right() + 1 - outer.width())));
    window.setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), window.size()));
}

} // namespace ScreenFit
