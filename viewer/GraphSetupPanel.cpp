#include "GraphSetupPanel.h"

#include "GradientLabel.h"
#include "PrintMarginPanel.h"
#include "TrendChart.h"
#include "TrendFile.h"
#include "ViewerSettings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>

namespace {

QGroupBox *group(QWidget *parent, const QString &title, const QRect &geometry)
{
    auto *box = new QGroupBox(title, parent);
    box->setGeometry(geometry);
    return box;
}

/// A grid of one row under the series' names, answering clicks only.
QTableWidget *seriesGrid(QWidget *parent, const QRect &geometry)
{
    auto *grid = new QTableWidget(1, 3, parent);
    grid->setGeometry(geometry);
    grid->setHorizontalHeaderLabels(TrendFile::seriesNames());
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch); // no empty band below
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus); // clicks only: no current-cell highlight
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return grid;
}

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

GraphSetupPanel::GraphSetupPanel(TrendChart &chart, ViewerSettings &settings, QWidget *parent)
    : QGroupBox(QStringLiteral("Graph Setup"), parent), m_chart(chart), m_settings(settings)
{
    buildGraphFrame();
    buildUseItems();
    buildBorderAndThickness();
    QGroupBox *frame7 = group(this, QStringLiteral("Title"), {262, 84, 170, 44});
    txtG_Title = named(new QLineEdit(frame7), "txtG_Title");
    txtG_Title->setGeometry(6, 16, 158, 22);
    QFont bold = txtG_Title->font();
    bold.setBold(true);
    txtG_Title->setFont(bold);
    m_margins = new PrintMarginPanel(settings, this);
    m_margins->setGeometry(616, 18, 138, 108);
    connect(m_margins, &PrintMarginPanel::notSaved, this, &GraphSetupPanel::notSaved);
    connectToChart();
}

void GraphSetupPanel::buildGraphFrame()
{
    QGroupBox *frame3 = group(this, QStringLiteral("Graph"), {8, 18, 246, 108});
    chb3D = named(new QCheckBox(QStringLiteral("3D"), frame3), "chb3D");
    chb3D->setGeometry(8, 18, 60, 20);
    chb3D->setChecked(true);
    chbScroll = named(new QCheckBox(QStringLiteral("Scroll Bar"), frame3), "chbScroll");
    chbScroll->setGeometry(64, 18, 96, 20);
    chbZoom = named(new QCheckBox(QStringLiteral("Zoom"), frame3), "chbZoom");
    chbZoom->setGeometry(166, 18, 72, 20);
    chbZoom->setChecked(true);
    sprdColor_Graph = named(seriesGrid(frame3, {8, 44, 230, 56}), "sprdColor_Graph");
    for (int c = 0; c < 3; ++c)
        sprdColor_Graph->setItem(0, c, new QTableWidgetItem());
    connect(sprdColor_Graph, &QTableWidget::cellClicked, this,
            [this](int, int column) { chooseSeriesColor(column); });
}

void GraphSetupPanel::buildUseItems()
{
    sprdUseItem = named(seriesGrid(this, {262, 26, 170, 56}), "sprdUseItem");
    for (int c = 0; c < 3; ++c) {
        auto *item = new QTableWidgetItem();
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        sprdUseItem->setItem(0, c, item);
    }
    connect(sprdUseItem, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem *item) { onUseItemChanged(item->column()); });
}

void GraphSetupPanel::buildBorderAndThickness()
{
    QGroupBox *frame4 = group(this, QStringLiteral("Border"), {440, 18, 100, 52});
    chbBorder = named(new QCheckBox(QStringLiteral("사용"), frame4), "chbBorder");
    chbBorder->setGeometry(8, 22, 60, 20);
    lblColor_Border = named(new GradientLabel(QString(), frame4), "lblColor_Border");
    lblColor_Border->setGeometry(64, 22, 28, 20);
    lblColor_Border->setFrameShape(QFrame::Box);
    connect(chbBorder, &QCheckBox::clicked, this, [this](bool on) {
        m_chart.setBorderVisible(on);
        lblColor_Border->setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    });
    connect(lblColor_Border, &GradientLabel::clicked, this, &GraphSetupPanel::chooseBorderColor);

    QGroupBox *frame5 = group(this, QStringLiteral("Thick"), {548, 18, 60, 52});
    cmbThick = named(new QComboBox(frame5), "cmbThick");
    cmbThick->addItems({QStringLiteral("1"), QStringLiteral("2")});
    cmbThick->setGeometry(6, 20, 48, 24);
    QGroupBox *frame8 = group(this, QStringLiteral("Y축"), {440, 74, 100, 52});
    chbYaxis = named(new QCheckBox(QStringLiteral("수정"), frame8), "chbYaxis");
    chbYaxis->setGeometry(8, 22, 80, 20);
}

void GraphSetupPanel::connectToChart()
{
    connect(chb3D, &QCheckBox::clicked, &m_chart, &TrendChart::set3D);
    // The scroll bar box flips the chart's own setting.
    connect(chbScroll, &QCheckBox::clicked, this,
            [this] { m_chart.setScrollBarVisible(!m_chart.isScrollBarVisible()); });
    connect(chbZoom, &QCheckBox::clicked, &m_chart, &TrendChart::setZoomEnabled);
    connect(cmbThick, &QComboBox::activated, this,
            [this](int index) { m_chart.setLineWidth(cmbThick->itemText(index).toInt()); });
    connect(chbYaxis, &QCheckBox::clicked, this, &GraphSetupPanel::yAxisEditToggled);
    connect(txtG_Title, &QLineEdit::editingFinished, this,
            [this] { m_chart.setTitle(TrendChart::Title::Top, txtG_Title->text()); });
}

void GraphSetupPanel::startUp()
{
    if (!m_settings.LoadSeriesColors([this](int series, const QColor &color) {
            setCellColor(series, color);
            m_chart.setSeriesColor(series, cellColor(series));
        })) {
        for (int s = 0; s < 3; ++s) // the chart's own colours, as a first start shows them
            setCellColor(s, m_chart.seriesColor(s));
    }
    showBorderColor();
    m_margins->load();
    applyVisibility(m_settings.LoadUseItems().value_or(std::array<bool, 3>{true, true, true}));
    m_chart.set3D(chb3D->isChecked());
    m_chart.setZoomEnabled(true);
}

void GraphSetupPanel::showBorderColor()
{
    lblColor_Border->setColors(m_chart.borderColor(), m_chart.borderColor());
}

void GraphSetupPanel::setCellColor(int series, const QColor &color)
{
    sprdColor_Graph->item(0, series)->setBackground(color);
}

QColor GraphSetupPanel::cellColor(int series) const
{
    return sprdColor_Graph->item(0, series)->background().color();
}

void GraphSetupPanel::chooseSeriesColor(int column)
{
    if (column < 0 || column > 2)
        return;
    const QColor chosen = QColorDialog::getColor(cellColor(column), this);
    if (!chosen.isValid())
        return;
    setCellColor(column, chosen);
    m_chart.setSeriesColor(column, chosen);
    if (!m_settings.SaveSeriesColors({cellColor(0), cellColor(1), cellColor(2)}))
        emit notSaved(QStringLiteral("그래프 색상"), m_settings.colorConfigPath());
}

/// The grid is saved with its new state first, then the series follows it.
void GraphSetupPanel::onUseItemChanged(int column)
{
    std::array<bool, 3> shown{};
    for (int c = 0; c < 3; ++c)
        shown[c] = sprdUseItem->item(0, c)->checkState() == Qt::Checked;
    if (!m_settings.SaveUseItems(shown))
        emit notSaved(QStringLiteral("표시 항목"), m_settings.useItemPath());
    m_chart.setSeriesVisible(column, shown[column]);
}

void GraphSetupPanel::applyVisibility(const std::array<bool, 3> &shown)
{
    const QSignalBlocker blocker(sprdUseItem);
    for (int c = 0; c < 3; ++c) {
        sprdUseItem->item(0, c)->setCheckState(shown[c] ? Qt::Checked : Qt::Unchecked);
        m_chart.setSeriesVisible(c, shown[c]);
    }
}

void GraphSetupPanel::chooseBorderColor()
{
    if (!chbBorder->isChecked())
        return;
    const QColor chosen = QColorDialog::getColor(m_chart.borderColor(), this);
    if (!chosen.isValid())
        return;
    m_chart.setBorderColor(chosen);
    showBorderColor();
}
