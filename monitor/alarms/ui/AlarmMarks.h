#pragma once

#include <QVariant>

class AlarmEngine;

/// How a controller with an alarm that is not normal is marked in the device picker and the
/// overview: a red cell, its alarms as the tool tip. Invalid (no mark) without alarms.
namespace AlarmMarks {

QVariant background(const AlarmEngine *alarms, int deviceNo);
QVariant foreground(const AlarmEngine *alarms, int deviceNo);
QVariant toolTip(const AlarmEngine *alarms, int deviceNo);

} // namespace AlarmMarks
