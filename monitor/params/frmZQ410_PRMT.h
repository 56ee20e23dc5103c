#pragma once

#include "DeviceTable.h"
#include "RegisterEntry.h"
#include "RequestFailure.h"
#include "Timer.h"

#include <QDialog>
#include <QList>
#include <memory>

class PollingEngine;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;
class TimerTable;

/// The parameter window "파라메터 설정": the selected controller's 31 parameters as it reports
/// them. Every change is one register write through the engine; the engine reads the block back
/// and the window refreshes from what the controller now holds, never from what was typed.
/// The timer descriptions are kept per controller in Timer.NNN in the program folder.
class frmZQ410_PRMT : public QDialog
{
    Q_OBJECT

public:
    /// The window asks the engine for the selected controller's parameter block as it opens.
    frmZQ410_PRMT(PollingEngine &engine, QWidget *parent = nullptr);
    ~frmZQ410_PRMT() override;

private:
    void fitScreen(const QWidget &content, const QScrollArea &scroll);
    /// A text box of the table: the register it writes (with its field and conversion).
    struct TextParameter
    {
        Register target;
        QLineEdit *box;
        QString shown;
    };
    /// An option group: the option's index is the value written to its field's register.
    struct OptionParameter
    {
        DeviceTable::Field field;
        QButtonGroup *group;
    };

    QGroupBox *buildInputPanel();
    QGroupBox *buildOutputPanel();
    QGroupBox *buildControlPanel();
    QGroupBox *buildFunctionPanel();
    QButtonGroup *addOptions(QWidget *box, DeviceTable::Field field, const QStringList &captions);
    QLineEdit *addText(DeviceTable::Field field);
    QLabel *unitLabel();
    void nameControls();

    void Refresh();
    void selectOption(QButtonGroup *group, int stored);
    void onOptionClicked(const OptionParameter &option, int index);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void onTextEdited(TextParameter &parameter);
    void onRequestFailed(const RequestFailure &failure);
    void onControlCellClicked(int row, int column);
    void onTimerValueClicked(int row);
    void openValueDialog(const QString &caption, const QString &oldText, DeviceTable::Field field);
    void setOnline(bool online);

    PollingEngine &m_engine;
    /// The controller shown: the selected one at opening, and its DeviceList index.
    int m_deviceNo;
    int m_row;
    /// The copy of stored values into the controls is under way: option clicks queue nothing.
    bool RefreshInProgress = false;
    std::unique_ptr<Timer> tmrRefresh;

    QList<TextParameter> m_texts;
    QList<OptionParameter> m_options;
    QButtonGroup *optOutC = nullptr;
    QButtonGroup *optOutH = nullptr;
    QButtonGroup *optSens1 = nullptr;
    QButtonGroup *optSens2 = nullptr;
    QButtonGroup *optDP = nullptr;
    QButtonGroup *optTUnit = nullptr;
    QButtonGroup *optOption1 = nullptr;
    QButtonGroup *optOption2 = nullptr;
    QLineEdit *txtALH = nullptr;
    QLineEdit *txtALL = nullptr;
    QLineEdit *txtDPV = nullptr;
    QLineEdit *txtHB1 = nullptr;
    QLineEdit *txtHB2 = nullptr;
    QLineEdit *txtTempH = nullptr;
    QLineEdit *txtTempL = nullptr;
    std::array<QLineEdit *, 2> txtRevTemp1{};
    QLineEdit *txtPreSV = nullptr;
    QLineEdit *txtFill_TM = nullptr;
    QLineEdit *txtRemocon = nullptr;
    QTableWidget *sprdCTRL = nullptr;
    TimerTable *sprdTimer = nullptr;
    /// The unit labels beside txtPreSV, txtALH, txtALL and txtDPV.
    QList<QLabel *> lblTUnit;
    QLabel *lblOffline = nullptr;
    QPushButton *btnClose = nullptr;
    QList<QWidget *> m_panels;
};
