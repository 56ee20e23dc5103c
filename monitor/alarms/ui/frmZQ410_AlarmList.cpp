#include "frmZQ410_AlarmList.h"

#include "AlarmEngine.h"
#include "AlarmJournal.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int KindRole = Qt::UserRole + 1;

QTableWidget *makeTable(const QStringList &captions, const char *name, QWidget *parent)
{
    auto *table = new QTableWidget(0, int(captions.size()), parent);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels(captions);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem *cell(const QString &text)
{
    return new QTableWidgetItem(text);
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("MM-dd HH:mm:ss")) : QString();
}

} // namespace

frmZQ410_AlarmList::frmZQ410_AlarmList(AlarmEngine &alarms, QWidget *parent)
    : QDialog(parent), m_alarms(alarms)
{
    setWindowTitle(QStringLiteral("경보 목록"));
    build();
    showAlarms();
    showJournal();
    connect(&m_alarms, &AlarmEngine::transitioned, this, [this] {
        showAlarms();
        showJournal();
    });
    connect(btnAck, &QPushButton::clicked, this, &frmZQ410_AlarmList::acknowledgeSelected);
    connect(tblActive->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { btnAck->setEnabled(!chosenRows().isEmpty()); });
    connect(btnAckAll, &QPushButton::clicked, &m_alarms, &AlarmEngine::acknowledgeAll);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    resize(900, 560);
}

void frmZQ410_AlarmList::build()
{
    tblActive = makeTable({QStringLiteral("발생"), QStringLiteral("기기"), QStringLiteral("채널"),
                           QStringLiteral("종류"), QStringLiteral("상태"), QStringLiteral("값"),
                           QStringLiteral("한계"), QStringLiteral("확인"), QStringLiteral("해제"),
                           QStringLiteral("반복")},
                          "tblActive", this);
    tblJournal = makeTable({QStringLiteral("날짜"), QStringLiteral("시각"), QStringLiteral("기기"),
                            QStringLiteral("채널"), QStringLiteral("종류"), QStringLiteral("구분"),
                            QStringLiteral("값"), QStringLiteral("한계")},
                           "tblJournal", this);
    btnAck = new QPushButton(QStringLiteral("확인[&A]"), this);
    btnAck->setObjectName(QStringLiteral("btnAck"));
    btnAck->setToolTip(QStringLiteral("선택한 경보를 확인합니다. 경보가 하나뿐이면 선택하지 "
                                      "않아도 확인합니다."));
    btnAckAll = new QPushButton(QStringLiteral("모두 확인[&L]"), this);
    btnAckAll->setObjectName(QStringLiteral("btnAckAll"));
    btnClose = new QPushButton(QStringLiteral("닫기[&C]"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnAck);
    buttons->addWidget(btnAckAll);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    lblNoSound =
        new QLabel(NoSoundDevice + QStringLiteral(". 경보음 대신 시스템 벨을 울립니다."), this);
    lblNoSound->setObjectName(QStringLiteral("lblNoSound"));
    QPalette palette = lblNoSound->palette();
    palette.setColor(QPalette::WindowText, QColor(0xa0, 0, 0));
    lblNoSound->setPalette(palette);
    lblNoSound->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblNoSound);
    layout->addWidget(new QLabel(QStringLiteral("발생 중이거나 확인되지 않은 경보"), this));
    layout->addWidget(tblActive, 3);
    layout->addLayout(buttons);
    layout->addWidget(new QLabel(QStringLiteral("오늘의 경보 기록"), this));
    layout->addWidget(tblJournal, 2);
}

void frmZQ410_AlarmList::showAlarms()
{
    const QList<Alarm> alarms = m_alarms.alarms();
    tblActive->setRowCount(int(alarms.size()));
    for (int row = 0; row < alarms.size(); ++row) {
        const Alarm &alarm = alarms.at(row);
        const QStringList texts = {
            timeText(alarm.raised),
            QStringLiteral("%1").arg(alarm.deviceNo, 2, 10, QLatin1Char('0')),
            m_alarms.channelName(alarm.deviceNo),
            Alarms::kindText(alarm.kind),
            Alarms::stateText(alarm.state),
            alarm.value,
            alarm.limit,
            timeText(alarm.acknowledged),
            timeText(alarm.cleared),
            Alarms::repeatText(alarm)};
        for (int column = 0; column < texts.size(); ++column) {
            QTableWidgetItem *item = cell(texts.at(column));
            if (alarm.isUnacknowledged()) {
                item->setBackground(QColor(0xff, 0xd0, 0xd0));
                item->setForeground(QColor(0xa0, 0, 0));
            }
            tblActive->setItem(row, column, item);
        }
        tblActive->item(row, 0)->setData(Qt::UserRole, alarm.deviceNo);
        tblActive->item(row, 0)->setData(KindRole, int(alarm.kind));
    }
    tblActive->resizeColumnsToContents();
    btnAckAll->setEnabled(m_alarms.unacknowledgedCount() > 0);
    btnAck->setEnabled(!chosenRows().isEmpty());
}

void frmZQ410_AlarmList::showJournal()
{
    const QList<AlarmTransition> transitions =
        AlarmJournal::read(m_alarms.journalFolder(), m_alarms.today(), m_alarms.today());
    tblJournal->setRowCount(int(transitions.size()));
    // Newest on top, as in the list above.
    for (int i = 0; i < transitions.size(); ++i) {
        const AlarmTransition &t = transitions.at(transitions.size() - 1 - i);
        const QStringList fields =
            AlarmJournal::lineOf(t, m_alarms.channelName(t.deviceNo)).split(QLatin1Char('\t'));
        for (int column = 0; column < fields.size(); ++column)
            tblJournal->setItem(i, column, cell(fields.at(column)));
    }
    tblJournal->resizeColumnsToContents();
}

void frmZQ410_AlarmList::setSoundUnavailable(bool unavailable)
{
    lblNoSound->setVisible(unavailable);
}

/// The selected rows; without a selection the only row there is (never a guess among several).
QList<int> frmZQ410_AlarmList::chosenRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : tblActive->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty() && tblActive->rowCount() == 1)
        rows.append(0);
    return rows;
}

void frmZQ410_AlarmList::acknowledgeSelected()
{
    QList<std::pair<int, AlarmKind>> chosen;
    for (const int row : chosenRows()) {
        const QTableWidgetItem *first = tblActive->item(row, 0);
        chosen.append(
            {first->data(Qt::UserRole).toInt(), AlarmKind(first->data(KindRole).toInt())});
    }
    for (const auto &[deviceNo, kind] : chosen)
        m_alarms.acknowledge(deviceNo, kind);
}
