#include "LinkColours.h"

#include <QBrush>
#include <QColor>

namespace LinkColours {

QVariant background(LinkState state)
{
    switch (DeviceTable::colourOf(state)) {
    case LinkColour::Green:
        return QBrush(QColor(0, 255, 0));
    case LinkColour::Red:
        return QBrush(QColor(255, 0, 0));
    case LinkColour::Black:
        return QBrush(Qt::black);
    case LinkColour::None:
        break;
    }
    return {};
}

QVariant foreground(LinkState state)
{
    return DeviceTable::colourOf(state) == LinkColour::Black ? QVariant(QBrush(Qt::white))
                                                             : QVariant();
}

} // namespace LinkColours
