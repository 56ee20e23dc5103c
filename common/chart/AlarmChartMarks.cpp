#include "AlarmChartMarks.h"

#include "AlarmJournal.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QDate Epoch(2000, 1, 1);

/// The first or last sample's time that is one; nullopt when none is.
std::optional<qint32> boundaryTime(const TrendData &data, bool last)
{
    for (qsizetype i = 0; i < data.size(); ++i) {
        const qint32 time = data.time(last ? data.size() - 1 - i : i);
        if (time != TrendData::NoTime)
            return time;
    }
    return std::nullopt;
}

} // namespace

namespace AlarmChartMarks {

std::optional<int> deviceOf(const QString &trendPath)
{
    static const QRegularExpression number(QStringLiteral("_(\\d\\d)\\.DAT$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = number.match(QFileInfo(trendPath).fileName());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

std::vector<TrendChart::EventMark> forTrendFile(const QString &trendPath, const TrendData &data)
{
    const std::optional<int> deviceNo = deviceOf(trendPath);
    const auto first = boundaryTime(data, false);
    const auto last = boundaryTime(data, true);
    if (!deviceNo || !first || !last)
        return {};
    const QList<AlarmTransition> transitions = AlarmJournal::read(
        QFileInfo(trendPath).absolutePath(), Epoch.addDays(TrendData::dayOf(*first)),
        Epoch.addDays(TrendData::dayOf(*last)));
    std::vector<TrendChart::EventMark> marks;
    for (const AlarmTransition &transition : transitions) {
        if (transition.deviceNo != *deviceNo || transition.step == AlarmStep::Acknowledged)
            continue;
        const bool raised = transition.step == AlarmStep::Raised;
        marks.push_back({TrendData::timeOf(transition.time), Alarms::shortText(transition.kind),
                         raised ? QColor(220, 0, 0) : QColor(0, 150, 0)});
    }
    return marks;
}

} // namespace AlarmChartMarks
