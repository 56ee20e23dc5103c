#include "MqttStatus.h"

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
        return QStringLiteral("연결됨");
    case MqttState::Failed:
        if (retrySeconds > 0)
            return QStringLiteral("연결 안 됨: %1 (%2초 후 다시 연결)")
                .arg(reason)
                .arg(retrySeconds);
        return QStringLiteral("연결 안 됨: %1").arg(reason);
    }
    return {};
}
