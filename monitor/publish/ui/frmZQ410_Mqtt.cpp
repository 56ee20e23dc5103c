#include "frmZQ410_Mqtt.h"

#include "MqttPublisher.h"
#include "MqttStatusLabel.h"
#include "Notice.h"
#include "SettingsFiles.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <typename Control> Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

} // namespace

frmZQ410_Mqtt::frmZQ410_Mqtt(MqttPublisher &publisher, QWidget *parent)
    : QDialog(parent), m_publisher(publisher)
{
    setWindowTitle(QStringLiteral("MQTT 설정"));
    build();
    show(m_publisher.settings());
    showStatus(m_publisher.status());
    connect(&m_publisher, &MqttPublisher::statusChanged, this, &frmZQ410_Mqtt::showStatus);
    connect(btnCaFile, &QPushButton::clicked, this, &frmZQ410_Mqtt::pickCaFile);
    connect(btnApply, &QPushButton::clicked, this, &frmZQ410_Mqtt::apply);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (apply())
            accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(txtPrefix, &QLineEdit::textChanged, this, &frmZQ410_Mqtt::showDerivedClientId);
    connect(chkTls, &QCheckBox::toggled, txtCaFile, &QWidget::setEnabled);
    connect(chkTls, &QCheckBox::toggled, btnCaFile, &QWidget::setEnabled);
}

void frmZQ410_Mqtt::build()
{
    chkEnabled =
        named(new QCheckBox(QStringLiteral("이 라인의 값을 MQTT 브로커에 발행")), "chkEnabled");
    txtHost = named(new QLineEdit, "txtHost");
    spnPort = named(new QSpinBox, "spnPort");
    spnPort->setRange(1, 65535);
    txtPrefix = named(new QLineEdit, "txtPrefix");
    txtPrefix->setPlaceholderText(MqttSettings::defaultPrefix());
    txtClientId = named(new QLineEdit, "txtClientId");
    txtUsername = named(new QLineEdit, "txtUsername");
    txtPassword = named(new QLineEdit, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    chkTls = named(new QCheckBox(QStringLiteral("TLS로 암호화")), "chkTls");
    txtCaFile = named(new QLineEdit, "txtCaFile");
    txtCaFile->setPlaceholderText(QStringLiteral("비우면 시스템의 인증서"));
    btnCaFile = named(new QPushButton(QStringLiteral("찾기...")), "btnCaFile");
    spnKeepAlive = named(new QSpinBox, "spnKeepAlive");
    spnKeepAlive->setRange(5, 65535);
    spnKeepAlive->setSuffix(QStringLiteral(" 초"));
    chkDiscovery = named(new QCheckBox(QStringLiteral("Home Assistant 자동 등록 (discovery)")),
                         "chkDiscovery");
    lblState = named(new MqttStatusLabel(MqttStatusLabel::Form::Full), "lblState");
    lblState->setMinimumHeight(lblState->fontMetrics().height() * 2);

    auto *broker = new QGroupBox(QStringLiteral("브로커"));
    auto *brokerForm = new QFormLayout(broker);
    brokerForm->addRow(QStringLiteral("주소"), txtHost);
    brokerForm->addRow(QStringLiteral("포트"), spnPort);
    brokerForm->addRow(QStringLiteral("Keep-alive"), spnKeepAlive);
    brokerForm->addRow(QStringLiteral("클라이언트 ID"), txtClientId);
    brokerForm->addRow(QStringLiteral("사용자 이름"), txtUsername);
    brokerForm->addRow(QStringLiteral("암호"), txtPassword);
    auto *caRow = new QHBoxLayout;
    caRow->addWidget(txtCaFile, 1);
    caRow->addWidget(btnCaFile);
    brokerForm->addRow(QString(), chkTls);
    brokerForm->addRow(QStringLiteral("CA 파일"), caRow);

    auto *topics = new QGroupBox(QStringLiteral("토픽"));
    auto *topicForm = new QFormLayout(topics);
    topicForm->addRow(QStringLiteral("접두어"), txtPrefix);
    topicForm->addRow(QString(), chkDiscovery);

    auto *state = new QGroupBox(QStringLiteral("연결 상태"));
    (new QVBoxLayout(state))->addWidget(lblState);

    btnOK = named(new QPushButton(QStringLiteral("확인[&O]")), "btnOK");
    btnApply = named(new QPushButton(QStringLiteral("적용[&A]")), "btnApply");
    btnCancel = named(new QPushButton(QStringLiteral("취소[&C]")), "btnCancel");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnApply);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(chkEnabled);
    layout->addWidget(broker);
    layout->addWidget(topics);
    layout->addWidget(state);
    layout->addLayout(buttons);
    setMinimumWidth(520);
}

void frmZQ410_Mqtt::show(const MqttSettings &settings)
{
    chkEnabled->setChecked(settings.Enabled);
    txtHost->setText(settings.Host);
    spnPort->setValue(settings.Port);
    txtPrefix->setText(settings.Prefix);
    txtClientId->setText(settings.ClientId);
    txtUsername->setText(settings.Username);
    txtPassword->setText(settings.Password);
    chkTls->setChecked(settings.Tls);
    txtCaFile->setText(settings.CaFile);
    txtCaFile->setEnabled(settings.Tls);
    btnCaFile->setEnabled(settings.Tls);
    spnKeepAlive->setValue(settings.KeepAlive);
    chkDiscovery->setChecked(settings.Discovery);
    showDerivedClientId();
}

/// An empty client ID field shows the one made from the prefix.
void frmZQ410_Mqtt::showDerivedClientId()
{
    MqttSettings derived;
    derived.Prefix = txtPrefix->text();
    txtClientId->setPlaceholderText(derived.clientId());
}

MqttSettings frmZQ410_Mqtt::settings() const
{
    MqttSettings s;
    s.Enabled = chkEnabled->isChecked();
    s.Host = txtHost->text().trimmed();
    s.Port = spnPort->value();
    s.Prefix = txtPrefix->text().trimmed();
    s.ClientId = txtClientId->text().trimmed();
    s.Username = txtUsername->text();
    s.Password = txtPassword->text();
    s.Tls = chkTls->isChecked();
    s.CaFile = txtCaFile->text().trimmed();
    s.KeepAlive = spnKeepAlive->value();
    s.Discovery = chkDiscovery->isChecked();
    return s;
}

void frmZQ410_Mqtt::showStatus(const MqttStatus &status)
{
    lblState->showStatus(status);
}

void frmZQ410_Mqtt::pickCaFile()
{
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("CA 파일"), txtCaFile->text(),
                                     QStringLiteral("인증서 (*.crt *.pem);;모든 파일 (*)"));
    if (!file.isEmpty())
        txtCaFile->setText(file);
}

bool frmZQ410_Mqtt::apply()
{
    const MqttSettings chosen = settings();
    if (const QString problem = chosen.problem(); !problem.isEmpty()) {
        Notice::show(this, problem);
        return false;
    }
    if (!m_publisher.apply(chosen))
        Notice::show(this, SettingsFiles::notSavedMessage(QStringLiteral("MQTT 설정"),
                                                          m_publisher.settingsPath()));
    return true;
}
