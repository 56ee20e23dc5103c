#include "AlarmBanner.h"

#include "AlarmEngine.h"

namespace {

const QString Red = QStringLiteral("QLabel { background: #d00000; color: white; "
                                   "font-weight: bold; }");
const QString Amber = QStringLiteral("QLabel { background: #ffc000; color: black; "
                                     "font-weight: bold; }");
const QString Yellow = QStringLiteral("QLabel { background: #ffff40; color: black; "
                                      "font-weight: bold; }");
const QString ListTip = QStringLiteral("클릭하면 경보 목록이 열립니다.");
const QString NotWatchingTip = QStringLiteral("통신포트가 닫혀 있어 폴링, 기록, 경보 감시가 "
                                              "멈춰 있습니다.");

} // namespace

AlarmBanner::AlarmBanner(const AlarmEngine &alarms, QWidget *parent)
    : ElidedLabel(parent), m_alarms(alarms)
{
    connect(&m_alarms, &AlarmEngine::transitioned, this, &AlarmBanner::refresh);
    refresh();
}

void AlarmBanner::setWatching(bool watching)
{
    m_watching = watching;
    refresh();
}

void AlarmBanner::refresh()
{
    const QList<Alarm> alarms = m_alarms.alarms();
    const bool unwatched = !m_watching && m_alarms.settings().anyLimits();
    if (alarms.isEmpty()) {
        if (unwatched)
            display(NotWatching, Yellow, NotWatchingTip);
        else
            hide();
        return;
    }
    const Alarm &newest = alarms.first();
    const QString what = Alarms::summaryText(newest, m_alarms.channelName(newest.deviceNo));
    const QString stopped = unwatched ? QStringLiteral(" — ") + NotWatching : QString();
    const int unacknowledged = m_alarms.unacknowledgedCount();
    if (unacknowledged > 0)
        display(
            QStringLiteral("경보 %1건 미확인 — 최근: %2%3").arg(unacknowledged).arg(what, stopped),
            Red, ListTip);
    else
        display(QStringLiteral("경보 %1건 발생 중 (확인됨) — 최근: %2%3")
                    .arg(alarms.size())
                    .arg(what, stopped),
                Amber, ListTip);
}

void AlarmBanner::display(const QString &text, const QString &style, const QString &tip)
{
    setStyleSheet(style);
    setFullText(text, tip);
    show();
}
