#include "ViewerAlarmBanner.h"

#include "AlarmJournal.h"

#include <QDir>
#include <QFileInfo>

ViewerAlarmBanner::ViewerAlarmBanner(QWidget *parent) : ElidedLabel(parent)
{
    setObjectName(QStringLiteral("lblAlarm"));
    setStyleSheet(QStringLiteral("QLabel { background: #d00000; color: white; "
                                 "font-weight: bold; }"));
    hide();
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &ViewerAlarmBanner::refresh);
    m_poll.start();
}

void ViewerAlarmBanner::setFolder(const QString &folder)
{
    m_folder = folder;
    m_readSize = -1;
    refresh();
}

void ViewerAlarmBanner::refresh()
{
    const QDate today = m_today();
    const QFileInfo file(QDir(m_folder).filePath(AlarmJournal::fileName(today)));
    const qint64 size = file.exists() ? file.size() : -1;
    const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
    if (today == m_readDay && size == m_readSize && modified == m_readModified)
        return;
    m_readDay = today;
    m_readSize = size;
    m_readModified = modified;
    // As the monitor restores them at its start: the last days replayed.
    const QList<Alarm> standing = Alarms::standing(
        AlarmJournal::read(m_folder, today.addDays(1 - AlarmJournal::RestoreDays), today));
    QList<Alarm> unacknowledged;
    for (auto it = standing.crbegin(); it != standing.crend(); ++it) {
        if (it->isUnacknowledged())
            unacknowledged.append(*it);
    }
    showAlarms(unacknowledged);
}

void ViewerAlarmBanner::showAlarms(const QList<Alarm> &unacknowledged)
{
    m_alarms = unacknowledged;
    if (unacknowledged.isEmpty()) {
        hide();
        return;
    }
    setFullText(QStringLiteral("경보 %1건 미확인 — 최근: %2")
                    .arg(unacknowledged.size())
                    .arg(Alarms::summaryText(unacknowledged.first())),
                QStringLiteral("클릭하면 모니터(ZQ410) 창으로 갑니다."));
    ElidedLabel::show();
    raise();
}
