#pragma once

#include "DeviceTable.h"

#include <QVariant>

/// The colours of a link-state cell on screen: green for a good link, red for an error, black
/// (with white text) for a controller given up, none while unknown. Invalid variants mean "the
/// view's default".
namespace LinkColours {

QVariant background(LinkState state);
QVariant foreground(LinkState state);

} // namespace LinkColours
