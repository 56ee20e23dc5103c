#include "frmZQ410_AlarmSettings.h"

#include "AlarmEngine.h"
#include "Notice.h"
#include "PollingEngine.h"
#include "SettingsFiles.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using F = DeviceTable::Field;

QString limitText(const std::optional<double> &limit)
{
    return limit ? QString::number(*limit) : QString();
}

QTableWidgetItem *fixedCell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

frmZQ410_AlarmSettings::frmZQ410_AlarmSettings(AlarmEngine &alarms, PollingEngine &engine,
                                               QWidget *parent)
    : QDialog(parent), m_alarms(alarms), m_engine(engine)
{
    setWindowTitle(QStringLiteral("경보 설정"));
    build();
    showSettings(m_alarms.settings());
    connect(btnFromController, &QPushButton::clicked, this,
            &frmZQ410_AlarmSettings::readFromController);
    connect(&m_engine, &PollingEngine::parameterBlockDecoded, this,
            &frmZQ410_AlarmSettings::fillFromController);
    connect(&m_engine, &PollingEngine::requestFailed, this, [this](const RequestFailure &failure) {
        if (failure.requester != this)
            return;
        m_waitingRow = -1;
        Notice::post(this, failure.text());
    });
    connect(btnOK, &QPushButton::clicked, this, &frmZQ410_AlarmSettings::confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmZQ410_AlarmSettings::build()
{
    chkSound = new QCheckBox(QStringLiteral("확인하지 않은 경보가 있는 동안 경보음"), this);
    chkSound->setObjectName(QStringLiteral("chkSound"));
    tblLimits = new QTableWidget(0, ColumnCount, this);
    tblLimits->setObjectName(QStringLiteral("tblLimits"));
    tblLimits->setHorizontalHeaderLabels({QStringLiteral("기기"), QStringLiteral("채널"),
                                          QStringLiteral("상한"), QStringLiteral("하한"),
                                          QStringLiteral("편차"), QStringLiteral("불감대"),
                                          QStringLiteral("지연(초)")});
    tblLimits->verticalHeader()->hide();
    tblLimits->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblLimits->setSelectionMode(QAbstractItemView::SingleSelection);
    tblLimits->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    btnFromController = new QPushButton(QStringLiteral("기기 경보값 가져오기[&R]"), this);
    btnFromController->setObjectName(QStringLiteral("btnFromController"));
    btnFromController->setToolTip(
        QStringLiteral("선택한 기기의 상한·하한·편차 경보값(레지스터 304~306)을 읽어 옵니다."));
    btnOK = new QPushButton(QStringLiteral("확인[&O]"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("취소[&C]"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *note =
        new QLabel(QStringLiteral("값은 기기의 단위(℃/℉)입니다. 비운 한계는 쓰지 않습니다. "
                                  "불감대만큼 돌아와야 해제되고, 지연 시간 동안 계속 "
                                  "넘어야 발생합니다."),
                   this);
    note->setWordWrap(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnFromController);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(chkSound);
    layout->addWidget(note);
    layout->addWidget(tblLimits, 1);
    layout->addLayout(buttons);
    resize(720, 480);
}

void frmZQ410_AlarmSettings::showSettings(const AlarmSettings &settings)
{
    chkSound->setChecked(settings.Sound);
    const QList<int> devices = m_engine.state().DeviceList;
    tblLimits->setRowCount(int(devices.size()));
    for (int row = 0; row < devices.size(); ++row) {
        const int deviceNo = devices.at(row);
        const AlarmLimits limits = settings.of(deviceNo);
        tblLimits->setItem(row, DeviceColumn,
                           fixedCell(QStringLiteral("%1").arg(deviceNo, 2, 10, QLatin1Char('0'))));
        tblLimits->setItem(row, NameColumn, fixedCell(m_alarms.channelName(deviceNo)));
        tblLimits->setItem(row, HighColumn, new QTableWidgetItem(limitText(limits.High)));
        tblLimits->setItem(row, LowColumn, new QTableWidgetItem(limitText(limits.Low)));
        tblLimits->setItem(row, DeviationColumn, new QTableWidgetItem(limitText(limits.Deviation)));
        tblLimits->setItem(row, DeadbandColumn,
                           new QTableWidgetItem(QString::number(limits.Deadband)));
        tblLimits->setItem(row, OnDelayColumn,
                           new QTableWidgetItem(QString::number(limits.OnDelay)));
    }
    if (!devices.isEmpty())
        tblLimits->selectRow(0);
}

/// Asks the selected controller for its parameter block; its alarm values fill the row.
void frmZQ410_AlarmSettings::readFromController()
{
    const int row = tblLimits->currentRow();
    if (row < 0)
        return;
    const int engineRow = row; // the table's rows are the device list's
    if (!m_engine.isOnline() || !m_engine.table().connected(engineRow)) {
        Notice::show(this, QStringLiteral("기기 %1과(와) 통신하고 있지 않아 경보값을 읽을 수 "
                                          "없습니다.")
                               .arg(tblLimits->item(row, DeviceColumn)->text()));
        return;
    }
    m_waitingRow = row;
    m_engine.readParameters(this, m_engine.table().deviceNo(engineRow));
}

void frmZQ410_AlarmSettings::fillFromController(int engineRow)
{
    if (engineRow != m_waitingRow)
        return;
    m_waitingRow = -1;
    const DeviceTable &table = m_engine.table();
    tblLimits->item(engineRow, HighColumn)->setText(table.field(engineRow, F::HighAlarm));
    tblLimits->item(engineRow, LowColumn)->setText(table.field(engineRow, F::LowAlarm));
    tblLimits->item(engineRow, DeviationColumn)->setText(table.field(engineRow, F::DeviationAlarm));
}

std::optional<AlarmSettings> frmZQ410_AlarmSettings::settings(QString *problem) const
{
    AlarmSettings settings = m_alarms.settings();
    settings.Sound = chkSound->isChecked();
    static const QString keys[ColumnCount] = {{},
                                              {},
                                              QStringLiteral("상한"),
                                              QStringLiteral("하한"),
                                              QStringLiteral("편차"),
                                              QStringLiteral("불감대"),
                                              QStringLiteral("지연(초)")};
    for (int row = 0; row < tblLimits->rowCount(); ++row) {
        const int deviceNo = m_engine.state().DeviceList.at(row);
        AlarmLimits limits;
        auto number = [&](int column, bool optional) -> std::optional<std::optional<double>> {
            const QString text = tblLimits->item(row, column)->text().trimmed();
            if (text.isEmpty() && optional)
                return std::optional<double>();
            bool ok = false;
            const double value = text.toDouble(&ok);
            if (ok)
                return std::optional<double>(value);
            *problem = QStringLiteral("기기 %1의 %2 값 \"%3\"이(가) 올바르지 않습니다 (숫자%4).")
                           .arg(tblLimits->item(row, DeviceColumn)->text(), keys[column], text,
                                optional ? QStringLiteral(", 또는 비워서 끔") : QString());
            return std::nullopt;
        };
        const auto high = number(HighColumn, true);
        const auto low = number(LowColumn, true);
        const auto deviation = number(DeviationColumn, true);
        const auto deadband = number(DeadbandColumn, false);
        const auto delay = number(OnDelayColumn, false);
        if (!high || !low || !deviation || !deadband || !delay)
            return std::nullopt;
        limits.High = *high;
        limits.Low = *low;
        limits.Deviation = *deviation;
        limits.Deadband = deadband->value();
        limits.OnDelay = int(delay->value());
        settings.limits.insert(deviceNo, limits);
    }
    *problem = settings.problem();
    if (!problem->isEmpty())
        return std::nullopt;
    return settings;
}

void frmZQ410_AlarmSettings::confirm()
{
    QString problem;
    const std::optional<AlarmSettings> chosen = settings(&problem);
    if (!chosen) {
        Notice::show(this, problem);
        return;
    }
    if (!m_alarms.apply(*chosen))
        Notice::show(this, SettingsFiles::notSavedMessage(QStringLiteral("경보 설정"),
                                                          m_alarms.settingsPath()));
    accept();
}
