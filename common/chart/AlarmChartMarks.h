#pragma once

#include "TrendChart.h"

#include <QString>
#include <optional>
#include <vector>

/// The alarms of a trend file's controller as marks over its chart: from the alarm journals
/// (ALARM_YYYYMMDD.LOG) beside the file, for the days its samples cover; raised in red, cleared
/// in green, each with the alarm's short name.
namespace AlarmChartMarks {

/// The controller a trend file belongs to: the NN of "…_NN.DAT"; nullopt for another name.
std::optional<int> deviceOf(const QString &trendPath);
std::vector<TrendChart::EventMark> forTrendFile(const QString &trendPath, const TrendData &data);

} // namespace AlarmChartMarks
