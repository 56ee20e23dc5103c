#include "MqttStatusLabel.h"

namespace {

QString colourOf(MqttState state)
{
    switch (state) {
    case MqttState::Connected:
        return QStringLiteral("#007a00");
    case MqttState::SettingsError:
    case MqttState::Failed:
        return QStringLiteral("#c00000");
    case MqttState::Off:
    case MqttState::Connecting:
        break;
    }
    return QStringLiteral("#555555");
}

QString wordOf(MqttState state)
{
    switch (state) {
    case MqttState::Off:
        return QStringLiteral("꺼짐");
    case MqttState::SettingsError:
        return QStringLiteral("설정 오류");
    case MqttState::Connecting:
        return QStringLiteral("연결 중");
    case MqttState::Connected:
        return QStringLiteral("연결됨");
    case MqttState::Failed:
        return QStringLiteral("연결 안 됨");
    }
    return {};
}

} // namespace

MqttStatusLabel::MqttStatusLabel(Form form, QWidget *parent) : QLabel(parent), m_form(form)
{
    setWordWrap(form == Form::Full);
    showStatus({});
}

void MqttStatusLabel::showStatus(const MqttStatus &status)
{
    m_state = status.state;
    setStyleSheet(
        QStringLiteral("QLabel { color: %1; font-weight: bold; }").arg(colourOf(status.state)));
    if (m_form == Form::Full) {
        setText(status.text());
        return;
    }
    // Records being sent again after an outage are counted down here too.
    setText(status.backlog > 0
                ? QStringLiteral("MQTT: %1 (%2)")
                      .arg(wordOf(status.state), MqttStatus::backlogText(status.backlog))
                : QStringLiteral("MQTT: %1").arg(wordOf(status.state)));
    setToolTip(QStringLiteral("MQTT 브로커: %1").arg(status.text()));
    setVisible(status.state != MqttState::Off);
}
