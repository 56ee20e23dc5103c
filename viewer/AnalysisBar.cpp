#include "AnalysisBar.h"

#include "ChartCursors.h"
#include "TrendChart.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

/// A limit is a number of up to five digits, a point and up to three decimals, or nothing.
const QRegularExpression LimitPattern(QStringLiteral("-?\\d{0,5}(\\.\\d{0,3})?"));

} // namespace

AnalysisBar::AnalysisBar(TrendChart *chart, QWidget *parent) : QWidget(parent), m_chart(chart)
{
    chbStatistics = new QCheckBox(QStringLiteral("통계"), this);
    chbStatistics->setObjectName(QStringLiteral("chbStatistics"));
    chbStatistics->setToolTip(QStringLiteral(
        "커서 A와 B 사이(커서가 둘이 아니면 보이는 구간)의 개수, 최소, 최대, 평균, 표준편차"));
    txtLimit = new QLineEdit(this);
    txtLimit->setObjectName(QStringLiteral("txtLimit"));
    txtLimit->setPlaceholderText(QStringLiteral("기준값"));
    txtLimit->setToolTip(QStringLiteral("이 값보다 높았던 시간과 낮았던 시간을 통계에 보입니다."));
    txtLimit->setValidator(new QRegularExpressionValidator(LimitPattern, txtLimit));
    txtLimit->setFixedWidth(64);
    btnRangeExport = new QPushButton(QStringLiteral("A~B Excel"), this);
    btnRangeExport->setObjectName(QStringLiteral("btnRangeExport"));
    btnRangeExport->setToolTip(QStringLiteral("커서 A와 B 사이의 기록만 Excel로 보냅니다."));
    btnRangeExport->setEnabled(false);
    btnEndCompare = new QPushButton(QStringLiteral("비교 끝"), this);
    btnEndCompare->setObjectName(QStringLiteral("btnEndCompare"));
    btnEndCompare->hide();

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(chbStatistics);
    layout->addWidget(txtLimit);
    layout->addWidget(btnRangeExport);
    layout->addWidget(btnEndCompare);

    connect(chbStatistics, &QCheckBox::toggled, m_chart, &TrendChart::setStatisticsVisible);
    connect(txtLimit, &QLineEdit::editingFinished, this, &AnalysisBar::applyLimit);
    connect(&m_chart->cursors(), &ChartCursors::changed, this, &AnalysisBar::followCursors);
    connect(btnRangeExport, &QPushButton::clicked, this, [this] {
        const auto a = m_chart->cursors().cursor(ChartCursors::A);
        const auto b = m_chart->cursors().cursor(ChartCursors::B);
        if (a && b)
            emit rangeExportRequested(std::min(*a, *b), std::max(*a, *b) + 1);
    });
    connect(btnEndCompare, &QPushButton::clicked, this, &AnalysisBar::endCompareRequested);
    fit();
}

void AnalysisBar::showComparing(bool on)
{
    btnEndCompare->setVisible(on);
    fit();
}

/// An empty box counts no time; a lone sign or point is taken as no limit too.
void AnalysisBar::applyLimit()
{
    bool ok = false;
    const double limit = txtLimit->text().toDouble(&ok);
    m_chart->setStatisticsLimit(ok ? std::optional(limit) : std::nullopt);
    if (!ok)
        txtLimit->clear();
}

void AnalysisBar::followCursors()
{
    const ChartCursors &cursors = m_chart->cursors();
    btnRangeExport->setEnabled(cursors.cursor(ChartCursors::A) && cursors.cursor(ChartCursors::B));
}

void AnalysisBar::fit()
{
    resize(sizeHint());
}
