#include "AlarmAnnouncer.h"

#include "AlarmEngine.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {

const QString NotificationService = QStringLiteral("org.freedesktop.Notifications");

/// A notification through the desktop's notification service, when the session has one.
void notifyDesktop(const QString &title, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(NotificationService))
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        NotificationService, QStringLiteral("/org/freedesktop/Notifications"), NotificationService,
        QStringLiteral("Notify"));
    call << QStringLiteral("ZQ410") << quint32(0) << QStringLiteral("dialog-warning") << title
         << body << QStringList()
         << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(2))}} << qint32(-1);
    bus.call(call, QDBus::NoBlock);
}

} // namespace

AlarmAnnouncer::AlarmAnnouncer(const AlarmEngine &alarms, QObject *parent)
    : QObject(parent), m_alarms(alarms), m_sound([this] { m_alarmSound.play(); }),
      m_notify(notifyDesktop)
{
    connect(&m_repeat, &QTimer::timeout, this, &AlarmAnnouncer::ring);
    connect(&m_alarms, &AlarmEngine::transitioned, this, &AlarmAnnouncer::onTransition);
    if (m_alarms.unacknowledgedCount() > 0)
        startRepeating();
}

void AlarmAnnouncer::startRepeating()
{
    m_repeat.start(m_repeatOverrideMs > 0 ? m_repeatOverrideMs
                                          : m_alarms.settings().RepeatSeconds * 1000);
}

void AlarmAnnouncer::onTransition(const AlarmTransition &transition)
{
    if (transition.step == AlarmStep::Raised) {
        const QString name = m_alarms.channelName(transition.deviceNo);
        m_notify(
            QStringLiteral("ZQ410 경보: %1 %2")
                .arg(transition.deviceNo, 2, 10, QLatin1Char('0'))
                .arg(Alarms::kindText(transition.kind)),
            QStringLiteral("%1%2 %3").arg(
                name.isEmpty() ? QString() : name + QLatin1Char(' '),
                transition.time.toString(QStringLiteral("HH:mm:ss")),
                transition.value.isEmpty()
                    ? QString()
                    : QStringLiteral("값 %1, 한계 %2").arg(transition.value, transition.limit)));
        ring();
    }
    if (m_alarms.unacknowledgedCount() > 0) {
        if (!m_repeat.isActive())
            startRepeating();
    } else {
        m_repeat.stop();
    }
}

void AlarmAnnouncer::ring()
{
    if (m_alarms.unacknowledgedCount() == 0) {
        m_repeat.stop();
        return;
    }
    if (!m_alarms.settings().Sound)
        return;
    m_alarmSound.setVolume(m_alarms.settings().Volume);
    m_sound();
    startRepeating(); // the interval of the settings as they are now
}
