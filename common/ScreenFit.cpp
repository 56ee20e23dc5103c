#include "ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenFit {

void resizeWithin(QWidget &window, const QSize &wanted)
{
    const QWidget *anchor = window.parentWidget() ? window.parentWidget() : &window;
    const QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    // Room for the title bar and the frame the window manager adds.
    const QSize frame(16, 48);
    window.resize(screen ? wanted.boundedTo(screen->availableGeometry().size() - frame) : wanted);
}

} // namespace ScreenFit
