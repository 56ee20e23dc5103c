#include "PrintMarginPanel.h"

#include "NumberText.h"
#include "ViewerSettings.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {

/// The margin grid is small: four cells in a narrow frame.
constexpr int MarginGridPoints = 7;

/// Margin cells: numbers shown with two decimals, edited in a number box.
class MarginDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &) const override
    {
        return QString::number(NumberText::leadingNumber(value.toString()), 'f', 2);
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override
    {
        auto *box = new QDoubleSpinBox(parent);
        box->setDecimals(2);
        box->setRange(-99999, 99999);
        box->setButtonSymbols(QAbstractSpinBox::NoButtons);
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QDoubleSpinBox *>(editor)->setValue(
            NumberText::leadingNumber(index.data().toString()));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        model->setData(index,
                       QString::number(static_cast<QDoubleSpinBox *>(editor)->value(), 'f', 2));
    }
};

} // namespace

PrintMarginPanel::PrintMarginPanel(ViewerSettings &settings, QWidget *parent)
    : QGroupBox(QStringLiteral("Print && Margin (mm)"), parent), m_settings(settings)
{
    sprdMargin = new QTableWidget(1, 4, this);
    sprdMargin->setObjectName(QStringLiteral("sprdMargin"));
    sprdMargin->setGeometry(3, 18, 132, 50);
    sprdMargin->setHorizontalHeaderLabels({QStringLiteral("Top"), QStringLiteral("Bottom"),
                                           QStringLiteral("Left"), QStringLiteral("Right")});
    sprdMargin->verticalHeader()->hide();
    sprdMargin->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdMargin->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sprdMargin->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont small = sprdMargin->font();
    small.setPointSize(MarginGridPoints);
    sprdMargin->setFont(small);
    sprdMargin->horizontalHeader()->setFont(small);
    // Four narrow columns: headers without padding, numbers shown whole rather than elided.
    sprdMargin->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { padding: 0px; }"));
    sprdMargin->setTextElideMode(Qt::ElideNone);
    sprdMargin->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int c = 0; c < 4; ++c)
        sprdMargin->setItem(0, c, new QTableWidgetItem(QStringLiteral("0.00")));
    sprdMargin->setItemDelegate(new MarginDelegate(sprdMargin));
    btnPrint = new QPushButton(QStringLiteral("&Print"), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnPrint->setGeometry(6, 72, 126, 28);
    btnPrint->setStyleSheet(QStringLiteral("background-color: rgb(255, 192, 255);"));
    connect(btnPrint, &QPushButton::clicked, this, &PrintMarginPanel::printRequested);
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
            if (holdsFocus(old) && !holdsFocus(now))
                save();
        });
}

PrintMarginPanel::~PrintMarginPanel()
{
    disconnect(m_focusWatch);
}

void PrintMarginPanel::finishEditing()
{
    disconnect(m_focusWatch);
    if (holdsFocus(QApplication::focusWidget()))
        save();
}

bool PrintMarginPanel::holdsFocus(const QWidget *widget) const
{
    return widget && (widget == sprdMargin || sprdMargin->isAncestorOf(widget));
}

PrintPage::MarginsMm PrintMarginPanel::marginsMm() const
{
    PrintPage::MarginsMm margins{};
    for (int c = 0; c < 4; ++c) {
        const QTableWidgetItem *item = sprdMargin->item(0, c);
        margins[c] = NumberText::leadingNumber(item ? item->text() : QString());
    }
    return margins;
}

void PrintMarginPanel::load()
{
    const auto margins = m_settings.LoadPrintMargins();
    if (!margins)
        return;
    for (int c = 0; c < 4; ++c)
        sprdMargin->item(0, c)->setText(margins->at(c));
}

/// The margins apply to this run even when they cannot be saved (which is said).
void PrintMarginPanel::save()
{
    std::array<QString, 4> values;
    for (int c = 0; c < 4; ++c)
        values[c] = sprdMargin->item(0, c)->text();
    if (!m_settings.SavePrintMargins(values))
        emit notSaved(QStringLiteral("인쇄 여백"), m_settings.marginPath());
}
