#include "MqttStatus.h"

#include <QLocale>

QString MqttStatus::backlogText(qint64 records)
{
    // Thousands grouped as Korean text writes them: 1,234.
    return QStringLiteral("전송 대기 %1건").arg(QLocale(QLocale::English).toString(records));
}

QString MqttStatus::text() const
{
    switch (state) {
    case MqttState::Off:
        return QStringLiteral("꺼짐");
    case MqttState::SettingsError:
        return QStringLiteral("설정 오류: %1").arg(reason);
    case MqttState::Connecting:
        return QStringLiteral("연결 중");
    case MqttState::Connected:
        return backlog > 0 ? QStringLiteral("연결됨 (%1)").arg(backlogText(backlog))
                           : QStringLiteral("연결됨");
    case MqttState::Failed:
        if (retrySeconds > 0)
            return QStringLiteral("연결 안 됨: %1 (%2초 후 다시 연결)")
                .arg(reason)
                .arg(retrySeconds);
        return QStringLiteral("연결 안 됨: %1").arg(reason);
    }
    return {};
}
