#include "LiveTrend.h"

#include "DisplayTicker.h"
#include "StatusPanel.h"

#include "PollingEngine.h"
#include "TrendChart.h"

#include <QApplication>
#include <QPalette>

namespace {

const QStringList SeriesNames = {QStringLiteral("SV"), QStringLiteral("제어온도"),
                                 QStringLiteral("보조온도")};

} // namespace

LiveTrend::LiveTrend(PollingEngine &engine, TrendChart &chart, QObject *parent)
    : QObject(parent), m_engine(engine), m_chart(chart)
{
    connect(&m_engine, &PollingEngine::selectedDisplayChanged, this, [this] {
        const QString unit = m_engine.display().unit;
        if (!unit.isEmpty())
            m_chart.setTitle(TrendChart::Title::Left, QStringLiteral("온도(%1)").arg(unit));
    });
}

void LiveTrend::setSeriesColor(int series, const QColor &color)
{
    m_chart.setSeriesColor(series, color);
}

void LiveTrend::ResetChart()
{
    m_chart.setBackgroundColor(QApplication::palette().color(QPalette::Button));
    m_chart.setLegendBackgroundColor(Qt::white);
    m_chart.clear();
}

void LiveTrend::PrepareChart()
{
    m_chart.setLegendVisible(true);
    for (int s = 0; s < 3; ++s)
        m_chart.setSeriesName(s, SeriesNames[s]);
    m_chart.setTitle(TrendChart::Title::Left, QStringLiteral("온도(℃)"));
    m_chart.setTitle(TrendChart::Title::Bottom, QStringLiteral("시간"));
    m_chart.setEmptyText(QStringLiteral("선택한 기기가 운전(RUN) 중이면 SV, 제어온도, 보조온도가 "
                                        "표시주기마다 여기에 그려집니다."));
}

void LiveTrend::chartStep(const QDateTime &now)
{
    const double period = m_periodSeconds;
    const qint64 elapsed = LastChartTime.isValid()
                               ? now.toSecsSinceEpoch() - LastChartTime.toSecsSinceEpoch()
                               : std::numeric_limits<qint64>::max();
    if (double(elapsed) < period)
        return;
    LastChartTime = now;
    if (!m_engine.display().commandLit[0]) {
        SampleCount = 0;
        return;
    }
    if (!selectedLinkGood())
        return;
    if (SampleCount == 0)
        ResetChart();
    ++SampleCount;
    AddChartSample(now);
}

/// The selected controller's picker cell is good and it answers its status requests, so the
/// chart never draws values it no longer reports.
bool LiveTrend::selectedLinkGood() const
{
    const int index = m_engine.state().SelectedIndex;
    return index >= 0 && index < m_engine.table().rowCount() &&
           m_engine.table().pickerState(index) == LinkState::Good && m_engine.isCurrent(index);
}

/// Appends sample n (= SampleCount); the first sample also puts its values at point 0, labelled
/// one second earlier, so the chart starts with a line.
void LiveTrend::AddChartSample(const QDateTime &now)
{
    const std::array<double, 3> &trend = m_engine.display().trendValues;
    const std::array<float, 3> values = {float(trend[0]), float(trend[1]), float(trend[2])};
    if (SampleCount == 1)
        m_chart.appendSample(TrendData::timeOf(now.addSecs(-1)), values);
    m_chart.appendSample(TrendData::timeOf(now), values);
    m_chart.setXRange(0, SampleCount);
}

void LiveTrend::follow(const StatusPanel &panel, const DisplayTicker &ticker)
{
    setPeriod(panel.displayPeriod());
    for (int series = 0; series < 3; ++series)
        setSeriesColor(series, panel.swatchColor(series));
    connect(&panel, &StatusPanel::displayPeriodChanged, this, &LiveTrend::setPeriod);
    connect(&panel, &StatusPanel::swatchColorChanged, this, &LiveTrend::setSeriesColor);
    connect(&ticker, &DisplayTicker::tick, this, &LiveTrend::chartStep);
}
