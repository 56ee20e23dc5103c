#pragma once

#include <QHeaderView>
#include <QList>

class QTableView;

/// The overview's column header in two rows: a group's caption ("PV", "CONTROL", "TIMER") spans
/// its columns in the upper row over their own captions in the lower one; a column outside every
/// group has its caption in one cell joined over both rows. It also writes a caption into the
/// table's corner over the row numbers.
class TwoRowHeader : public QHeaderView
{
    Q_OBJECT

public:
    struct Group
    {
        int firstColumn;
        int lastColumn;
        QString text;
    };

    TwoRowHeader(const QList<Group> &groups, QWidget *parent = nullptr);

    /// Puts this header on the table and the caption in its corner.
    void install(QTableView &table, const QString &corner);
    /// The group a column belongs to; nullptr for a column outside every group.
    const Group *groupOf(int column) const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void drawCell(QPainter *painter, const QRect &rect, const QString &text) const;

    QList<Group> m_groups;
    QString m_corner;
    QWidget *m_cornerButton = nullptr;
};
