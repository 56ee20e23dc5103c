#pragma once

#include "PrintPage.h"

#include <QGroupBox>

class QPushButton;
class QTableWidget;
class ViewerSettings;

/// "Print & Margin (mm)": the page margins in a grid of four cells (top, bottom, left, right),
/// kept in PrintMargin.CFG and stored whenever the focus leaves the grid (and when the window
/// closes with the focus in it), and the Print button.
class PrintMarginPanel : public QGroupBox
{
    Q_OBJECT

public:
    PrintMarginPanel(ViewerSettings &settings, QWidget *parent);
    ~PrintMarginPanel() override;

    /// The grid's margins: top, bottom, left, right in millimetres.
    PrintPage::MarginsMm marginsMm() const;
    /// The margins of PrintMargin.CFG, when it holds them.
    void load();
    /// The window closes: margins being edited are stored now, while it is whole (~QWidget
    /// moves the focus away from the grid once the window is half gone), and the panel stops
    /// listening to the focus.
    void finishEditing();

signals:
    void printRequested();
    /// The margins could not be stored: they apply to this run only.
    void notSaved(const QString &what, const QString &path);

private:
    void save();
    bool holdsFocus(const QWidget *widget) const;

    ViewerSettings &m_settings;
    QTableWidget *sprdMargin = nullptr;
    QPushButton *btnPrint = nullptr;
    /// Stores the margins when the focus leaves their grid; cut before the panel is torn down.
    QMetaObject::Connection m_focusWatch;
};
