#pragma once

#include <QSize>

class QWidget;

/// Windows sized to what they show, but never larger than the free area of the screen they open
/// on (a 1366 x 768 screen with a desktop panel included), the window manager's title bar and
/// frame left room.
namespace ScreenFit {

void resizeWithin(QWidget &window, const QSize &wanted);

} // namespace ScreenFit
