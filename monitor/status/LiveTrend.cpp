#include "LiveTrend.h"

#include "PollingEngine.h"
#include "StatusPanel.h"
#include "TrendChart.h"

#include <QApplication>
#include <QPalette>

namespace {

const QStringList SeriesNames = {QStringLiteral("SV"), QStringLiteral("제어온도"),
                                 QStringLiteral("보조온도")};

} // namespace

LiveTrend::LiveTrend(PollingEngine &engine, StatusPanel &panel, QObject *parent)
    : QObject(parent), m_engine(engine), m_panel(panel)
{
    connect(&m_engine, &PollingEngine::selectedDisplayChanged, this, [this] {
        const QString unit = m_engine.display().unit;
        if (!unit.isEmpty())
            m_panel.chart()->setTitle(TrendChart::Title::Left,
                                      QStringLiteral("온도(%1)").arg(unit));
    });
}

void LiveTrend::ResetChart()
{
    TrendChart *chart = m_panel.chart();
    chart->setBackgroundColor(QApplication::palette().color(QPalette::Button));
    chart->setLegendBackgroundColor(Qt::white);
    chart->clear();
}

void LiveTrend::PrepareChart()
{
    TrendChart *chart = m_panel.chart();
    chart->setLegendVisible(true);
    for (int s = 0; s < 3; ++s)
        chart->setSeriesName(s, SeriesNames[s]);
    chart->setTitle(TrendChart::Title::Left, QStringLiteral("온도(℃)"));
    chart->setTitle(TrendChart::Title::Bottom, QStringLiteral("시간"));
    chart->setEmptyText(QStringLiteral("선택한 기기가 운전(RUN) 중이면 SV, 제어온도, 보조온도가 "
                                       "표시주기마다 여기에 그려집니다."));
}

void LiveTrend::chartStep(const QDateTime &now)
{
    for (int s = 0; s < 3; ++s)
        m_panel.chart()->setSeriesColor(s, m_panel.swatchColor(s));
    const double period = m_panel.displayPeriod();
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
    TrendChart *chart = m_panel.chart();
    if (SampleCount == 1)
        chart->appendSample(TrendData::timeOf(now.addSecs(-1)), values);
    chart->appendSample(TrendData::timeOf(now), values);
    chart->setXRange(0, SampleCount);
}
