#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <array>

/// The memory programs of one controller as the operator edits them: 100 entries of SV, ON time
/// and OFF time, kept as the cell texts the operator sees. The memory window edits it; the
/// engine places read blocks into it and reads each send block from it when that block goes
/// out, so a cell changed during a send still goes out if its block has not been sent yet.
///
/// The controller keeps the table as 12 blocks of 25 registers: block b belongs to column
/// b div 4 + 1, rows 25 (b mod 4) + 1 onwards.
class MemoryTable : public QObject
{
    Q_OBJECT

public:
    static constexpr int Rows = 100;
    static constexpr int Columns = 3;
    static constexpr int BlockCount = 12;
    static constexpr int BlockSize = 25;

    using QObject::QObject;

    static int blockColumn(int block) { return block / 4 + 1; }
    static int blockFirstRow(int block) { return BlockSize * (block % 4) + 1; }

    /// Cell text at column 1..3, row 1..100; empty outside.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    /// Writes the 25 values of a read block into their cells: column 1 (temperatures) divided
    /// by 10^decimals with that many decimals, columns 2 and 3 (minutes) as plain numbers.
    void placeBlock(int block, const QList<int> &values, int decimals);
    /// The 25 register values of a send block: each cell's leading number (0 when it has none)
    /// times 10^decimals for column 1, rounded half to even.
    QList<int> blockValues(int block, int decimals) const;

signals:
    void cellChanged(int column, int row);

private:
    static bool inside(int column, int row);

    std::array<std::array<QString, Rows>, Columns> m_cells;
};
