#include "AlarmMarks.h"

#include "AlarmEngine.h"

#include <QBrush>
#include <QStringList>

namespace AlarmMarks {

QVariant background(const AlarmEngine *alarms, int deviceNo)
{
    if (!alarms || !alarms->hasAlarm(deviceNo))
        return {};
    return QBrush(QColor(0xd0, 0, 0));
}

QVariant foreground(const AlarmEngine *alarms, int deviceNo)
{
    if (!alarms || !alarms->hasAlarm(deviceNo))
        return {};
    return QBrush(Qt::white);
}

QVariant toolTip(const AlarmEngine *alarms, int deviceNo)
{
    if (!alarms || !alarms->hasAlarm(deviceNo))
        return {};
    QStringList lines;
    for (const Alarm &alarm : alarms->alarms()) {
        if (alarm.deviceNo == deviceNo)
            lines.append(QStringLiteral("%1: %2").arg(Alarms::kindText(alarm.kind),
                                                      Alarms::stateText(alarm.state)));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace AlarmMarks
