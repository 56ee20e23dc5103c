#pragma once

#include <QList>
#include <QWidget>
#include <array>

class QAction;
class QPushButton;

/// The main window's command column: headed groups of buttons, each doing what its menu entry
/// does and enabled while that entry is.
class CommandColumn : public QWidget
{
    Q_OBJECT

public:
    struct Entry
    {
        int index; ///< the button's number ("btnMenu_N"); -1 for a heading
        QString caption;
        QAction *action;
    };

    CommandColumn(const QList<Entry> &entries, QWidget *parent);

    /// The button numbered index; null for a number no entry has.
    QPushButton *button(int index) const { return m_buttons.at(size_t(index)); }

private:
    std::array<QPushButton *, 13> m_buttons{};
};
