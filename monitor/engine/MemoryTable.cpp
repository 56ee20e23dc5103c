#include "MemoryTable.h"

#include "NumberText.h"

#include <cmath>

bool MemoryTable::inside(int column, int row)
{
    return column >= 1 && column <= Columns && row >= 1 && row <= Rows;
}

QString MemoryTable::cell(int column, int row) const
{
    return inside(column, row) ? m_cells[column - 1][row - 1] : QString();
}

void MemoryTable::setCell(int column, int row, const QString &text)
{
    if (!inside(column, row) || m_cells[column - 1][row - 1] == text)
        return;
    m_cells[column - 1][row - 1] = text;
    emit cellChanged(column, row);
}

void MemoryTable::placeBlock(int block, const QList<int> &values, int decimals)
{
    const int column = blockColumn(block);
    for (int i = 0; i < std::min<int>(BlockSize, int(values.size())); ++i) {
        setCell(column, blockFirstRow(block) + i,
                column == 1 ? NumberText::scaled(values[i], decimals)
                            : NumberText::plain(values[i]));
    }
}

QList<int> MemoryTable::blockValues(int block, int decimals) const
{
    const int column = blockColumn(block);
    const double factor = column == 1 ? std::pow(10.0, std::clamp(decimals, 0, 9)) : 1.0;
    QList<int> values;
    for (int i = 0; i < BlockSize; ++i) {
        const QString text = cell(column, blockFirstRow(block) + i);
        values.append(NumberText::roundHalfEven(NumberText::leadingNumber(text) * factor));
    }
    return values;
}
