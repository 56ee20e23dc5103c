#pragma once

#include "MqttStatus.h"

#include <QLabel>

/// The broker connection's state in colour: green when connected, red when refused, lost or
/// not usable, grey otherwise. Full, it says the reason; compact (the main window's status
/// bar), it says "MQTT" and the state in a word, with the reason as its tool tip, and is hidden
/// while publishing is off.
class MqttStatusLabel : public QLabel
{
    Q_OBJECT

public:
    enum class Form { Full, Compact };

    explicit MqttStatusLabel(Form form, QWidget *parent = nullptr);

    void showStatus(const MqttStatus &status);
    MqttState state() const { return m_state; }

private:
    Form m_form;
    MqttState m_state = MqttState::Off;
};
