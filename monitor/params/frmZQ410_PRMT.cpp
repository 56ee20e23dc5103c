#include "frmZQ410_PRMT.h"

#include "Notice.h"
#include "ParameterForm.h"
#include "PollingEngine.h"
#include "ScreenFit.h"
#include "TimerTable.h"
#include "frmZQ410_EditVal.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using F = DeviceTable::Field;
using namespace ParameterForm;

constexpr int RefreshDelayMs = 50;
constexpr int BoxWidth = 80;
const QStringList Sensors = {QStringLiteral("Pt100Ω"), QStringLiteral("K-TYPE"),
                             QStringLiteral("J-TYPE")};
const QStringList OffOn = {QStringLiteral("OFF"), QStringLiteral("ON")};

/// sprdCTRL: the field and the dialog caption of each cell (column, row 0-based).
struct ControlCell
{
    F field;
    const char *caption;
};
const std::array<std::array<ControlCell, 4>, 2> ControlCells = {{
    {{{F::Pb, "가열측 P"}, {F::Ti, "가열측 I"}, {F::Td, "가열측 D"}, {F::Ct, "가열측 제어주기"}}},
    {{{F::Pbc, "냉각측 P"},
      {F::Tic, "냉각측 I"},
      {F::Tdc, "냉각측 D"},
      {F::Ctc, "냉각측 제어주기"}}},
}};
const std::array<F, 3> TimerFields = {F::Timer1, F::Timer2, F::Timer3};

} // namespace

frmZQ410_PRMT::frmZQ410_PRMT(PollingEngine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_deviceNo(engine.state().SelectedDeviceNo),
      m_row(engine.state().SelectedIndex)
{
    setWindowTitle(QStringLiteral("파라메터 설정"));
    tmrRefresh = m_engine.clock().createTimer([this] { Refresh(); });

    auto *top = new QHBoxLayout;
    for (QGroupBox *box : {buildInputPanel(), buildOutputPanel(), buildControlPanel()}) {
        top->addWidget(box, 1, Qt::AlignTop);
        m_panels.append(box);
    }
    QGroupBox *functions = buildFunctionPanel();
    m_panels.append(functions);

    // The window blocks the main window, where the port is opened: say to close it first.
    lblOffline = new QLabel(QStringLiteral("통신포트가 닫혀 설정을 바꿀 수 없습니다. 이 창을 닫고 "
                                           "통신포트를 연 뒤 다시 여십시오."));
    lblOffline->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    lblOffline->hide();
    btnClose = new QPushButton(QStringLiteral("닫기[&C]"));
    btnClose->setMinimumWidth(100);
    // Enter confirms a box, never closes the window; a click on it closes without confirming
    // the box being typed in.
    btnClose->setAutoDefault(false);
    btnClose->setFocusPolicy(Qt::TabFocus);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblOffline);
    bottom->addStretch(1);
    bottom->addWidget(btnClose);

    // The panels scroll when the screen is too low for them (1366 x 768 with a desktop panel);
    // the note and 닫기 stay in sight below them.
    auto *content = new QWidget;
    auto *panels = new QVBoxLayout(content);
    panels->setContentsMargins(0, 0, 0, 0);
    panels->addWidget(heading(QStringLiteral("SETUP 화면")));
    panels->addLayout(top);
    panels->addWidget(heading(QStringLiteral("기능 화면")));
    panels->addWidget(functions);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("scrPanels"));
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addLayout(bottom);
    fitScreen(*content, *scroll);
    nameControls();

    connect(&m_engine, &PollingEngine::parameterBlockDecoded, this, [this](int row) {
        if (row == m_row)
            tmrRefresh->start(RefreshDelayMs);
    });
    connect(&m_engine, &PollingEngine::requestFailed, this, &frmZQ410_PRMT::onRequestFailed);
    connect(&m_engine, &PollingEngine::onlineChanged, this, &frmZQ410_PRMT::setOnline);
    setOnline(m_engine.isOnline());
    if (m_engine.isOnline())
        m_engine.readParameters(this, m_deviceNo);
}

frmZQ410_PRMT::~frmZQ410_PRMT() = default;

/// As large as the panels want, but never taller or wider than the screen's free area.
void frmZQ410_PRMT::fitScreen(const QWidget &content, const QScrollArea &scroll)
{
    ScreenFit::resizeWithin(*this, content.sizeHint() +
                                       QSize(scroll.verticalScrollBar()->sizeHint().width() + 24,
                                             btnClose->sizeHint().height() + 32));
}

// ---- Building ----------------------------------------------------------------------------

QButtonGroup *frmZQ410_PRMT::addOptions(QWidget *box, DeviceTable::Field field,
                                        const QStringList &captions)
{
    auto *group = new QButtonGroup(this);
    auto *row = new QHBoxLayout(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *option = new QRadioButton(captions[i]);
        normalWeight(option);
        group->addButton(option, i);
        row->addWidget(option);
    }
    row->addStretch();
    m_options.append({field, group});
    const OptionParameter option = m_options.last();
    connect(group, &QButtonGroup::idClicked, this,
            [this, option](int index) { onOptionClicked(option, index); });
    return group;
}

QLineEdit *frmZQ410_PRMT::addText(DeviceTable::Field field)
{
    auto *box = new QLineEdit;
    box->setFixedWidth(BoxWidth);
    box->setAlignment(Qt::AlignRight);
    normalWeight(box);
    m_texts.append({*RegisterMap::writable(field), box, QString()});
    const int index = int(m_texts.size()) - 1;
    // Enter confirms the entry; so does moving on to another control of this window (see
    // eventFilter).
    connect(box, &QLineEdit::returnPressed, this, [this, index] { onTextEdited(m_texts[index]); });
    box->installEventFilter(this);
    return box;
}

QLabel *frmZQ410_PRMT::unitLabel()
{
    auto *label = new QLabel(QStringLiteral("℃"));
    normalWeight(label);
    lblTUnit.append(label);
    return label;
}

QGroupBox *frmZQ410_PRMT::buildInputPanel()
{
    QGroupBox *box = panel(QStringLiteral("G.IN"));
    auto *layout = new QVBoxLayout(box);
    const struct
    {
        QString title;
        F field;
        QStringList captions;
        QButtonGroup **group;
    } groups[] = {
        {QStringLiteral("제어온도센서"), F::ControlSensor, Sensors, &optSens1},
        {QStringLiteral("보조온도센서"), F::AuxSensor, Sensors, &optSens2},
        {QStringLiteral("소수점"),
         F::DecimalPlaces,
         {QStringLiteral("0"), QStringLiteral("0.1")},
         &optDP},
        {QStringLiteral("섭씨/화씨"),
         F::Unit,
         {QStringLiteral("℃"), QStringLiteral("℉")},
         &optTUnit},
    };
    for (const auto &g : groups) {
        QGroupBox *frame = optionFrame(g.title);
        *g.group = addOptions(frame, g.field, g.captions);
        layout->addWidget(frame);
    }
    QGroupBox *range = optionFrame(QStringLiteral("사용온도"));
    auto *rangeGrid = new QGridLayout(range);
    txtTempH = addText(F::UpperLimit);
    txtTempL = addText(F::LowerLimit);
    addRow(rangeGrid, QStringLiteral("상한온도"), txtTempH);
    addRow(rangeGrid, QStringLiteral("하한온도"), txtTempL);
    layout->addWidget(range);
    QGroupBox *offset = optionFrame(QStringLiteral("온도보정"));
    auto *offsetGrid = new QGridLayout(offset);
    txtRevTemp1[0] = addText(F::ControlOffset);
    txtRevTemp1[1] = addText(F::AuxOffset);
    addRow(offsetGrid, QStringLiteral("제어온도"), txtRevTemp1[0]);
    addRow(offsetGrid, QStringLiteral("보조온도"), txtRevTemp1[1]);
    layout->addWidget(offset);
    return box;
}

QGroupBox *frmZQ410_PRMT::buildOutputPanel()
{
    QGroupBox *box = panel(QStringLiteral("G.OUT"));
    auto *layout = new QVBoxLayout(box);
    QGroupBox *heat = optionFrame(QStringLiteral("가열출력"));
    optOutH = addOptions(heat, F::HeatMode, {QStringLiteral("단상"), QStringLiteral("3상")});
    layout->addWidget(heat);
    QGroupBox *cool = optionFrame(QStringLiteral("냉각출력"));
    optOutC = addOptions(cool, F::CoolMode, OffOn);
    layout->addWidget(cool);

    sprdCTRL = new QTableWidget(4, 3);
    normalWeight(sprdCTRL);
    sprdCTRL->setHorizontalHeaderLabels(
        {QStringLiteral("가열측"), QStringLiteral("냉각측"), QStringLiteral("단위")});
    sprdCTRL->setVerticalHeaderLabels(
        {QStringLiteral("P"), QStringLiteral("I"), QStringLiteral("D"), QStringLiteral("CT")});
    sprdCTRL->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprdCTRL->setSelectionMode(QAbstractItemView::NoSelection);
    sprdCTRL->setFocusPolicy(Qt::NoFocus);
    sprdCTRL->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdCTRL->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdCTRL->setMinimumHeight(150);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(column < 2 ? Qt::AlignRight | Qt::AlignVCenter
                                              : Qt::Alignment(Qt::AlignCenter));
            sprdCTRL->setItem(row, column, item);
        }
        sprdCTRL->item(row, 2)->setText(row == 0 ? QStringLiteral("℃") : QStringLiteral("초"));
    }
    connect(sprdCTRL, &QTableWidget::cellClicked, this, &frmZQ410_PRMT::onControlCellClicked);
    layout->addWidget(sprdCTRL);
    layout->addStretch();
    return box;
}

QGroupBox *frmZQ410_PRMT::buildControlPanel()
{
    QGroupBox *box = panel(QStringLiteral("G.CTL"));
    auto *layout = new QVBoxLayout(box);
    auto *grid = new QGridLayout;
    txtPreSV = addText(F::PreheatSv);
    addRow(grid, QStringLiteral("예열SV"), txtPreSV, unitLabel());
    txtFill_TM = addText(F::RefillTime);
    addRow(grid, QStringLiteral("매체보충시간"), txtFill_TM, new QLabel(QStringLiteral("초")));
    layout->addLayout(grid);
    QGroupBox *suction = optionFrame(QStringLiteral("SUCTION"));
    optOption1 = addOptions(suction, F::SuctionOption, OffOn);
    layout->addWidget(suction);
    auto *breaks = new QGridLayout;
    txtHB1 = addText(F::CurrentHighAlarm);
    addRow(breaks, QStringLiteral("히터단선 경보값 1"), txtHB1, new QLabel(QStringLiteral("A")));
    txtHB2 = addText(F::CurrentLowAlarm);
    addRow(breaks, QStringLiteral("히터단선 경보값 2"), txtHB2, new QLabel(QStringLiteral("A")));
    layout->addLayout(breaks);
    layout->addStretch();
    return box;
}

QGroupBox *frmZQ410_PRMT::buildFunctionPanel()
{
    QGroupBox *box = panel(QString());
    auto *layout = new QHBoxLayout(box);
    QGroupBox *timers = optionFrame(QStringLiteral("TIMER 설정 (설정값 X 10시간)"));
    auto *timerLayout = new QVBoxLayout(timers);
    sprdTimer = new TimerTable(m_engine.programFolder(), m_deviceNo);
    connect(sprdTimer, &TimerTable::valueClicked, this, &frmZQ410_PRMT::onTimerValueClicked);
    timerLayout->addWidget(sprdTimer);
    layout->addWidget(timers, 1);

    auto *right = new QVBoxLayout;
    auto *grid = new QGridLayout;
    txtALH = addText(F::HighAlarm);
    addRow(grid, QStringLiteral("온도상한 경보값"), txtALH, unitLabel());
    txtALL = addText(F::LowAlarm);
    addRow(grid, QStringLiteral("온도하한 경보값"), txtALL, unitLabel());
    txtDPV = addText(F::DeviationAlarm);
    addRow(grid, QStringLiteral("온도편차 경보값"), txtDPV, unitLabel());
    right->addLayout(grid);
    QGroupBox *restart = optionFrame(QStringLiteral("Restart Mode"));
    optOption2 = addOptions(restart, F::RestartMode, OffOn);
    right->addWidget(restart);
    auto *remote = new QGridLayout;
    txtRemocon = addText(F::RemoteId);
    addRow(remote, QStringLiteral("리모콘 채널"), txtRemocon);
    right->addLayout(remote);
    right->addStretch();
    layout->addLayout(right);
    return box;
}

/// Every control carries its design name; members of an array carry it with _index.
void frmZQ410_PRMT::nameControls()
{
    const std::pair<QObject *, const char *> named[] = {
        {optOutC, "optOutC"},       {optOutH, "optOutH"},       {optSens1, "optSens1"},
        {optSens2, "optSens2"},     {optDP, "optDP"},           {optTUnit, "optTUnit"},
        {optOption1, "optOption1"}, {optOption2, "optOption2"}, {txtALH, "txtALH"},
        {txtALL, "txtALL"},         {txtDPV, "txtDPV"},         {txtHB1, "txtHB1"},
        {txtHB2, "txtHB2"},         {txtTempH, "txtTempH"},     {txtTempL, "txtTempL"},
        {txtPreSV, "txtPreSV"},     {txtFill_TM, "txtFill_TM"}, {txtRemocon, "txtRemocon"},
        {sprdCTRL, "sprdCTRL"},     {btnClose, "btnClose"},     {lblOffline, "lblOffline"},
    };
    for (const auto &[control, name] : named)
        control->setObjectName(QLatin1String(name));
    for (int i = 0; i < 2; ++i)
        txtRevTemp1[i]->setObjectName(QStringLiteral("txtRevTemp1_%1").arg(i));
    for (int i = 0; i < lblTUnit.size(); ++i)
        lblTUnit[i]->setObjectName(QStringLiteral("lblTUnit_%1").arg(i));
    // The options of a group: the group's name with the option's index.
    for (const OptionParameter &option : m_options) {
        for (QAbstractButton *button : option.group->buttons()) {
            button->setObjectName(QStringLiteral("%1_%2")
                                      .arg(option.group->objectName())
                                      .arg(option.group->id(button)));
        }
    }
}

// ---- Refresh -----------------------------------------------------------------------------

/// Copies what the controller reported into the controls; nothing is written meanwhile.
void frmZQ410_PRMT::Refresh()
{
    tmrRefresh->stop();
    RefreshInProgress = true;
    const DeviceTable &table = m_engine.table();
    const int row = m_row;
    if (row < 0 || row >= table.rowCount()) {
        RefreshInProgress = false;
        return;
    }
    const auto stored = [&](F field) {
        return table.field(row, field);
    };
    // The unit of the block read: the window shows the controller's parameters as they are.
    const QString unit =
        table.value(row, F::Unit).value_or(0) > 0 ? QStringLiteral("℉") : QStringLiteral("℃");
    for (QLabel *label : lblTUnit)
        label->setText(unit);
    for (const OptionParameter &option : m_options)
        selectOption(option.group, table.value(row, option.field).value_or(-1));
    for (TextParameter &text : m_texts) {
        text.shown = stored(text.target.field);
        text.box->setText(text.shown);
    }
    sprdCTRL->item(0, 2)->setText(unit);
    for (int column = 0; column < 2; ++column) {
        for (int r = 0; r < 4; ++r)
            sprdCTRL->item(r, column)->setText(stored(ControlCells[column][r].field));
    }
    for (int r = 0; r < 3; ++r)
        sprdTimer->showValue(r, stored(TimerFields[r]));
    RefreshInProgress = false;
}

/// The option whose index is the stored number; none when the group has no such option.
void frmZQ410_PRMT::selectOption(QButtonGroup *group, int stored)
{
    if (QAbstractButton *button = group->button(stored)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton *button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

// ---- Changes -----------------------------------------------------------------------------

void frmZQ410_PRMT::onOptionClicked(const OptionParameter &option, int index)
{
    if (RefreshInProgress)
        return;
    if (const std::optional<Register> target = RegisterMap::writable(option.field))
        m_engine.writeRegister(target->address, index, m_deviceNo, this);
}

/// A box left for another control of this window, by Tab or a click, confirms its entry; left
/// any other way (Escape, closing or leaving the window) it goes back to the controller's
/// value, and nothing is written.
bool frmZQ410_PRMT::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusOut)
        return QDialog::eventFilter(watched, event);
    for (TextParameter &parameter : m_texts) {
        if (parameter.box != watched)
            continue;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        const bool movedOn = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                             reason == Qt::MouseFocusReason;
        QWidget *next = QApplication::focusWidget();
        if (movedOn && next && isAncestorOf(next))
            onTextEdited(parameter);
        else if (!RefreshInProgress)
            parameter.box->setText(parameter.shown);
    }
    return QDialog::eventFilter(watched, event);
}

/// A change the controller did not take (or that never went out) leaves the controls showing
/// what the controller holds, and the operator is told.
void frmZQ410_PRMT::onRequestFailed(const RequestFailure &failure)
{
    if (failure.requester != this)
        return;
    Refresh();
    Notice::post(this, failure.text());
}

/// A changed entry is written; a refused one (out of the register's range) brings the
/// controller's value back into the box.
void frmZQ410_PRMT::onTextEdited(TextParameter &parameter)
{
    if (RefreshInProgress || parameter.box->text() == parameter.shown)
        return;
    const std::optional<int> value = RegisterEntry::convertOrWarn(
        this, parameter.box->text(), parameter.target.conversion, m_engine.state().DecimalPlaces);
    if (!value) {
        parameter.box->setText(parameter.shown);
        return;
    }
    parameter.shown = parameter.box->text();
    m_engine.writeRegister(parameter.target.address, *value, m_deviceNo, this);
}

void frmZQ410_PRMT::onControlCellClicked(int row, int column)
{
    if (column > 1 || row < 0 || row > 3)
        return;
    const ControlCell &cell = ControlCells[column][row];
    openValueDialog(QString::fromUtf8(cell.caption), sprdCTRL->item(row, column)->text(),
                    cell.field);
}

void frmZQ410_PRMT::onTimerValueClicked(int row)
{
    openValueDialog(QStringLiteral("Timer %1 설정값").arg(row + 1), sprdTimer->item(row, 1)->text(),
                    TimerFields[size_t(row)]);
}

void frmZQ410_PRMT::openValueDialog(const QString &caption, const QString &oldText,
                                    DeviceTable::Field field)
{
    frmZQ410_EditVal dialog(m_engine, caption, oldText, field, 0, this);
    dialog.exec();
}

/// Off line nothing can be written: the panels are disabled and a line says why. Back on line
/// the block is read again.
void frmZQ410_PRMT::setOnline(bool online)
{
    for (QWidget *panel : m_panels)
        panel->setEnabled(online);
    lblOffline->setVisible(!online);
    if (online && isVisible())
        m_engine.readParameters(this, m_deviceNo);
}
