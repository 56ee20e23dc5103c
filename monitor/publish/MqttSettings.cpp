#include "MqttSettings.h"

#include "IniText.h"

#include <QSettings>
#include <QStringList>
#include <QSysInfo>

namespace {

constexpr int MinKeepAlive = 5;
constexpr int MaxKeepAlive = 65535;
constexpr int MaxPort = 65535;
constexpr int MaxReplayDays = 3650;

QString badValue(const QString &key, const QString &value, const QString &expected)
{
    return IniText::badValue(QStringLiteral("Mqtt.INI"), key, value, expected);
}

/// The text of a key; fallback when it is missing.
QString textOf(const QSettings &file, const QString &key, const QString &fallback)
{
    const QVariant value = file.value(key);
    return value.isValid() ? IniText::of(value) : fallback;
}

/// Reads key into target when present and well formed; otherwise records the first problem.
void readBool(const QSettings &file, const QString &key, bool &target, QString &error)
{
    if (!file.contains(key))
        return;
    if (const std::optional<bool> value = IniText::boolOf(textOf(file, key, {})))
        target = *value;
    else if (error.isEmpty())
        error = badValue(key, textOf(file, key, {}), QStringLiteral("true 또는 false"));
}

void readInt(const QSettings &file, const QString &key, int low, int high, int &target,
             QString &error)
{
    if (!file.contains(key))
        return;
    bool ok = false;
    const int value = textOf(file, key, {}).trimmed().toInt(&ok);
    if (ok && value >= low && value <= high)
        target = value;
    else if (error.isEmpty())
        error = badValue(key, textOf(file, key, {}), QStringLiteral("%1~%2").arg(low).arg(high));
}

} // namespace

QString MqttSettings::defaultPrefix(const QString &instance)
{
    const QString host = QStringLiteral("zq410/") + QSysInfo::machineHostName();
    return instance.isEmpty() ? host : host + QLatin1Char('/') + instance;
}

QString MqttSettings::topicPrefix(const QString &instance) const
{
    QString prefix = Prefix.trimmed();
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    return prefix.isEmpty() ? defaultPrefix(instance) : prefix;
}

QString MqttSettings::clientId(const QString &instance) const
{
    if (!ClientId.trimmed().isEmpty())
        return ClientId.trimmed();
    return QString(topicPrefix(instance)).replace(QLatin1Char('/'), QLatin1Char('-'));
}

MqttSettings::Read MqttSettings::read(QSettings &file)
{
    Read read;
    MqttSettings &s = read.settings;
    QString &error = read.error;
    readBool(file, QStringLiteral("Enabled"), s.Enabled, error);
    s.Host = textOf(file, QStringLiteral("Host"), s.Host).trimmed();
    readInt(file, QStringLiteral("Port"), 1, MaxPort, s.Port, error);
    s.Prefix = textOf(file, QStringLiteral("Prefix"), s.Prefix).trimmed();
    s.ClientId = textOf(file, QStringLiteral("ClientId"), s.ClientId).trimmed();
    s.Username = textOf(file, QStringLiteral("Username"), s.Username);
    s.Password = textOf(file, QStringLiteral("Password"), s.Password);
    readBool(file, QStringLiteral("Tls"), s.Tls, error);
    s.CaFile = textOf(file, QStringLiteral("CaFile"), s.CaFile).trimmed();
    readInt(file, QStringLiteral("KeepAlive"), MinKeepAlive, MaxKeepAlive, s.KeepAlive, error);
    readBool(file, QStringLiteral("Discovery"), s.Discovery, error);
    readBool(file, QStringLiteral("Commands/Enabled"), s.CommandsEnabled, error);
    readInt(file, QStringLiteral("Replay/Days"), 0, MaxReplayDays, s.ReplayDays, error);
    // QSettings reads an unquoted "a, b" as a list and a single name as a text.
    for (const QString &user : file.value(QStringLiteral("Commands/Users")).toStringList()) {
        for (const QString &name : user.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!name.trimmed().isEmpty())
                s.CommandUsers.append(name.trimmed());
        }
    }
    if (error.isEmpty())
        error = s.problem();
    return read;
}

void MqttSettings::write(QSettings &file) const
{
    file.setValue(QStringLiteral("Enabled"), Enabled ? "true" : "false");
    file.setValue(QStringLiteral("Host"), Host);
    file.setValue(QStringLiteral("Port"), Port);
    file.setValue(QStringLiteral("Prefix"), Prefix);
    file.setValue(QStringLiteral("ClientId"), ClientId);
    file.setValue(QStringLiteral("Username"), Username);
    file.setValue(QStringLiteral("Password"), Password);
    file.setValue(QStringLiteral("Tls"), Tls ? "true" : "false");
    file.setValue(QStringLiteral("CaFile"), CaFile);
    file.setValue(QStringLiteral("KeepAlive"), KeepAlive);
    file.setValue(QStringLiteral("Discovery"), Discovery ? "true" : "false");
    file.setValue(QStringLiteral("Commands/Enabled"), CommandsEnabled ? "true" : "false");
    file.setValue(QStringLiteral("Replay/Days"), ReplayDays);
    file.setValue(QStringLiteral("Commands/Users"), CommandUsers.join(QStringLiteral(", ")));
}

QString MqttSettings::problem() const
{
    if (Enabled && Host.trimmed().isEmpty())
        return QStringLiteral("Mqtt.INI의 Host 값이 비어 있습니다 (브로커의 주소).");
    if (Port < 1 || Port > MaxPort)
        return badValue(QStringLiteral("Port"), QString::number(Port), QStringLiteral("1~65535"));
    if (KeepAlive < MinKeepAlive || KeepAlive > MaxKeepAlive)
        return badValue(QStringLiteral("KeepAlive"), QString::number(KeepAlive),
                        QStringLiteral("%1~%2").arg(MinKeepAlive).arg(MaxKeepAlive));
    // The broker keeps topics starting with $ to itself ($SYS): every publish would be denied.
    if (Prefix.contains(QLatin1Char('+')) || Prefix.contains(QLatin1Char('#')) ||
        Prefix.startsWith(QLatin1Char('$')))
        return badValue(QStringLiteral("Prefix"), Prefix,
                        QStringLiteral("+, # 없이, $로 시작하지 않게"));
    if (ClientId.contains(QLatin1Char(' ')))
        return badValue(QStringLiteral("ClientId"), ClientId, QStringLiteral("빈칸 없이"));
    // libmosquitto sends a password only with a user name: it would silently not be sent.
    if (Enabled && !Password.isEmpty() && Username.trimmed().isEmpty())
        return QStringLiteral("Mqtt.INI에 Password가 있지만 Username이 비어 있습니다 (사용자 "
                              "이름 없이는 비밀번호를 보내지 않습니다).");
    return {};
}
