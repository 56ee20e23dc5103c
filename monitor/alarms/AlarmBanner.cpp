#include "AlarmBanner.h"

#include "AlarmEngine.h"

#include <QMouseEvent>

AlarmBanner::AlarmBanner(const AlarmEngine &alarms, QWidget *parent)
    : QLabel(parent), m_alarms(alarms)
{
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("클릭하면 경보 목록이 열립니다."));
    setMargin(4);
    connect(&m_alarms, &AlarmEngine::transitioned, this, &AlarmBanner::refresh);
    refresh();
}

void AlarmBanner::refresh()
{
    const QList<Alarm> alarms = m_alarms.alarms();
    if (alarms.isEmpty()) {
        hide();
        return;
    }
    const Alarm &newest = alarms.first();
    const QString name = m_alarms.channelName(newest.deviceNo);
    const QString what = QStringLiteral("%1 %2%3 %4")
                             .arg(newest.raised.toString(QStringLiteral("HH:mm:ss")))
                             .arg(newest.deviceNo, 2, 10, QLatin1Char('0'))
                             .arg(name.isEmpty() ? QString() : QLatin1Char(' ') + name,
                                  Alarms::kindText(newest.kind));
    const int unacknowledged = m_alarms.unacknowledgedCount();
    if (unacknowledged > 0) {
        setText(QStringLiteral("경보 %1건 미확인 — 최근: %2").arg(unacknowledged).arg(what));
        setStyleSheet(QStringLiteral("QLabel { background: #d00000; color: white; "
                                     "font-weight: bold; }"));
    } else {
        setText(
            QStringLiteral("경보 %1건 발생 중 (확인됨) — 최근: %2").arg(alarms.size()).arg(what));
        setStyleSheet(QStringLiteral("QLabel { background: #ffc000; color: black; "
                                     "font-weight: bold; }"));
    }
    show();
}

void AlarmBanner::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
