#pragma once

#include "MqttSettings.h"
#include "MqttStatus.h"

#include <QDialog>

class MqttPublisher;
class MqttStatusLabel;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

/// The window "MQTT 설정": the broker, the topic prefix, the login, TLS and Home Assistant
/// discovery. It opens on what the publisher uses; 적용 and 확인 have the publisher store them
/// in Mqtt.INI (for its owner only) and connect with them, while the window shows the
/// connection's state live.
class frmZQ410_Mqtt : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_Mqtt(MqttPublisher &publisher, QWidget *parent = nullptr);

    /// The settings as the inputs hold them.
    MqttSettings settings() const;

private:
    void build();
    void show(const MqttSettings &settings);
    void showDerivedClientId();
    void showStatus(const MqttStatus &status);
    void pickCaFile();
    /// Checks the inputs and hands them to the publisher; false when they cannot be used.
    bool apply();

    MqttPublisher &m_publisher;
    QCheckBox *chkEnabled = nullptr;
    QLineEdit *txtHost = nullptr;
    QSpinBox *spnPort = nullptr;
    QLineEdit *txtPrefix = nullptr;
    QLineEdit *txtClientId = nullptr;
    QLineEdit *txtUsername = nullptr;
    QLineEdit *txtPassword = nullptr;
    QCheckBox *chkTls = nullptr;
    QLineEdit *txtCaFile = nullptr;
    QPushButton *btnCaFile = nullptr;
    QSpinBox *spnKeepAlive = nullptr;
    QCheckBox *chkDiscovery = nullptr;
    MqttStatusLabel *lblState = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnApply = nullptr;
    QPushButton *btnCancel = nullptr;
};
