#include "TimerTable.h"

#include "Notice.h"
#include "SettingsFiles.h"

#include <QDir>
#include <QHeaderView>
#include <QScopedValueRollback>

TimerTable::TimerTable(const QString &programFolder, int deviceNo, QWidget *parent)
    : QTableWidget(Timers, 3, parent), m_programFolder(programFolder), m_deviceNo(deviceNo)
{
    setObjectName(QStringLiteral("sprdTimer"));
    setHorizontalHeaderLabels(
        {QStringLiteral("TIMER"), QStringLiteral("설정값"), QStringLiteral("Description")});
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setMinimumSize(360, 110);
    for (int row = 0; row < Timers; ++row) {
        for (int column = 0; column < 3; ++column) {
            auto *item = new QTableWidgetItem(column == 0 ? QString::number(row + 1) : QString());
            if (column < 2) {
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                item->setTextAlignment(Qt::AlignCenter);
            }
            setItem(row, column, item);
        }
    }
    loadDescriptions();
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == 1 && row >= 0 && row < Timers)
            emit valueClicked(row);
    });
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == 2 && !m_filling)
            saveDescriptions();
    });
}

void TimerTable::showValue(int row, const QString &text)
{
    const QScopedValueRollback filling(m_filling, true);
    item(row, 1)->setText(text);
}

/// A missing or foreign file leaves the grid as designed.
void TimerTable::loadDescriptions()
{
    const auto rows = SettingsFiles(m_programFolder).LoadTimerDescriptions(m_deviceNo);
    if (!rows)
        return;
    const QScopedValueRollback filling(m_filling, true);
    for (int r = 0; r < std::min<int>(Timers, int(rows->size())); ++r) {
        for (int c = 0; c < std::min<int>(3, int(rows->at(r).size())); ++c)
            item(r, c)->setText(rows->at(r).at(c));
    }
}

/// A failed write is reported; the descriptions stay in the grid for this opening.
void TimerTable::saveDescriptions()
{
    QList<QStringList> rows;
    for (int r = 0; r < Timers; ++r) {
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells.append(item(r, c)->text());
        rows.append(cells);
    }
    const SettingsFiles files(m_programFolder);
    if (!files.SaveTimerDescriptions(m_deviceNo, rows))
        Notice::post(this, QStringLiteral("타이머 설명을 저장하지 못했습니다. 창을 닫으면 바꾼 "
                                          "설명은 남지 않습니다.\n%1")
                               .arg(QDir::toNativeSeparators(files.timerPath(m_deviceNo))));
}
