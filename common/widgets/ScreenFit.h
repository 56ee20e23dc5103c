#pragma once

#include <QSize>

class QWidget;

/// Windows sized to what they show, but never larger than the free area of the screen they open
/// on (a 1366 x 768 screen with a desktop panel included), the window manager's title bar and
/// frame left room.
namespace ScreenFit {

void resizeWithin(QWidget &window, const QSize &wanted);
/// Puts a main window in the middle of the free area of its screen, its title bar and frame
/// included: the title bar never starts above the screen, nor the frame ends below it (while
/// the window fits at all).
void centre(QWidget &window);

} // namespace ScreenFit
