#include "MqttConnection.h"

#include <QFile>
#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace {

/// The thread's longest wait on the socket before it looks whether it is to close.
constexpr int LoopWaitMs = 100;
/// How long a closing connection may take to send "offline" and its DISCONNECT.
constexpr auto FlushTime = std::chrono::seconds(1);
constexpr int StatusQos = 1;
constexpr int ValueQos = 0;
/// Requests and their replies: at least once.
constexpr int RequestQos = 1;
/// A retained request keeps its flag, so it can be refused; an old retained one is never
/// handed over at subscribing.
constexpr int SubscribeOptions = MQTT_SUB_OPT_RETAIN_AS_PUBLISHED | MQTT_SUB_OPT_SEND_RETAIN_NEVER;
const QByteArray Online = QByteArrayLiteral("online");
const QByteArray Offline = QByteArrayLiteral("offline");
const char *const SystemCertificates = "/etc/ssl/certs";
/// A connection the broker drops this soon after it was made was most likely taken over by a
/// client with the same id (MQTT 3.1.1 gives no reason); capped by the keep-alive, after which
/// a lost connection has another cause.
constexpr auto TakeoverWindow = std::chrono::seconds(10);
/// Short-lived connections in a row that say so.
constexpr int TakenOverInRow = 2;

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

/// The broker's answer to CONNECT when it is not an acceptance (MQTT 5 reason codes, and the
/// MQTT 3.1.1 return codes they replaced).
QString refusalText(int code)
{
    switch (code) {
    case MQTT_RC_UNSUPPORTED_PROTOCOL_VERSION:
        return QStringLiteral("브로커가 프로토콜 버전을 받지 않습니다 (MQTT 5 필요)");
    case MQTT_RC_CLIENTID_NOT_VALID:
        return QStringLiteral("브로커가 클라이언트 ID를 거부했습니다");
    case MQTT_RC_SERVER_UNAVAILABLE:
    case MQTT_RC_SERVER_BUSY:
        return QStringLiteral("브로커가 지금 서비스하지 않습니다");
    case MQTT_RC_BAD_USERNAME_OR_PASSWORD:
        return QStringLiteral("사용자 이름이나 암호가 틀렸습니다");
    case MQTT_RC_NOT_AUTHORIZED:
    case MQTT_RC_BANNED:
        return QStringLiteral("브로커가 접속을 허가하지 않았습니다 (사용자 이름과 암호 확인)");
    case 1:
        return QStringLiteral("브로커가 프로토콜 버전을 받지 않습니다");
    case 2:
        return QStringLiteral("브로커가 클라이언트 ID를 거부했습니다");
    case 3:
        return QStringLiteral("브로커가 지금 서비스하지 않습니다");
    case 4:
        return QStringLiteral("사용자 이름이나 암호가 틀렸습니다");
    case 5:
        return QStringLiteral("브로커가 접속을 허가하지 않았습니다 (사용자 이름과 암호 확인)");
    }
    return QStringLiteral("브로커가 접속을 거부했습니다 (코드 %1)").arg(code);
}

/// Why a connect or a connection failed, from libmosquitto's result, errno and its last error
/// log line (which carries the TLS library's reason). established: the broker had accepted the
/// connection; tls: it was a TLS connection.
QString failureText(int rc, int savedErrno, const QString &logged, bool established, bool tls)
{
    switch (rc) {
    case MOSQ_ERR_ERRNO:
        return QString::fromStdString(std::system_category().message(savedErrno));
    case MOSQ_ERR_EAI:
        return QStringLiteral("브로커 주소를 찾을 수 없습니다");
    case MOSQ_ERR_TLS:
        return logged.isEmpty() ? QStringLiteral("TLS 오류")
                                : QStringLiteral("TLS 오류: %1").arg(logged);
    case MOSQ_ERR_KEEPALIVE: // libmosquitto 2.0 has no text for it ("Unknown error.")
        return QStringLiteral("브로커가 keep-alive 시간 안에 응답하지 않았습니다");
    case MOSQ_ERR_CONN_LOST:
        if (established)
            return QStringLiteral("브로커가 연결을 끊었습니다");
        // A plain client on a TLS listener is dropped at its first bytes, before any answer.
        return tls ? QStringLiteral("브로커가 접속 중에 연결을 끊었습니다")
                   : QStringLiteral("브로커가 접속 중에 연결을 끊었습니다 (TLS 전용 포트라면 "
                                    "TLS를 켜십시오)");
    default:
        break;
    }
    const QString text = QString::fromUtf8(mosquitto_strerror(rc));
    return logged.isEmpty() ? text : QStringLiteral("%1: %2").arg(text, logged);
}

} // namespace

/// What the connection's thread and its owner share. The thread holds it as long as it runs,
/// so a thread left behind at closing (stuck in a name lookup) still finds it whole.
struct MqttConnection::Session
{
    ~Session()
    {
        if (mosq)
            mosquitto_destroy(mosq);
    }

    QString configure();
    void run();
    int serve();
    bool waitBeforeRetry(int seconds);
    void post(const MqttStatus &status);
    template <typename Call> void toOwner(Call call);

    static void onConnect(mosquitto *mosq, void *self, int code);
    static void onMessage(mosquitto *mosq, void *self, const mosquitto_message *message,
                          const mosquitto_property *properties);
    static void onPublish(mosquitto *mosq, void *self, int mid);
    static void onDisconnect(mosquitto *mosq, void *self, int rc);
    static void onLog(mosquitto *mosq, void *self, int level, const char *text);

    mosquitto *mosq = nullptr;
    MqttSettings settings;
    QByteArray statusTopic;
    QList<QByteArray> subscriptions;
    int generation = 0;
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::atomic<bool> connected{false};

    std::mutex mutex;
    std::condition_variable wake;
    /// Under mutex: the thread has ended; the owner to tell (none once it stopped listening).
    bool finished = false;
    MqttConnection *owner = nullptr;

    // The thread's own: what ended the last attempt.
    int refusal = 0;
    bool madeConnection = false;
    std::chrono::steady_clock::time_point connectedAt;
    /// Connections in a row that the broker dropped within TakeoverWindow.
    int shortLived = 0;
    QString logged;

    /// After a connection ended: was it (most likely) taken over by a client with our id?
    bool takenOver(int rc);
};

bool MqttConnection::Session::takenOver(int rc)
{
    if (!madeConnection)
        return shortLived >= TakenOverInRow;
    const auto window =
        std::min<std::chrono::seconds>(TakeoverWindow, std::chrono::seconds(settings.KeepAlive));
    const bool quick =
        rc == MOSQ_ERR_CONN_LOST && std::chrono::steady_clock::now() - connectedAt < window;
    shortLived = quick ? shortLived + 1 : 0;
    return shortLived >= TakenOverInRow;
}

QString MqttConnection::Session::configure()
{
    mosquitto_threaded_set(mosq, true);
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_connect_callback_set(mosq, &Session::onConnect);
    mosquitto_message_v5_callback_set(mosq, &Session::onMessage);
    mosquitto_publish_callback_set(mosq, &Session::onPublish);
    mosquitto_disconnect_callback_set(mosq, &Session::onDisconnect);
    mosquitto_log_callback_set(mosq, &Session::onLog);
    mosquitto_will_set(mosq, statusTopic.constData(), int(Offline.size()), Offline.constData(),
                       StatusQos, true);
    if (!settings.Username.isEmpty()) {
        const QByteArray user = settings.Username.toUtf8();
        const QByteArray password = settings.Password.toUtf8();
        mosquitto_username_pw_set(mosq, user.constData(),
                                  settings.Password.isEmpty() ? nullptr : password.constData());
    }
    if (!settings.Tls)
        return {};
    const QByteArray caFile = QFile::encodeName(settings.CaFile);
    const int rc =
        settings.CaFile.isEmpty()
            ? mosquitto_tls_set(mosq, nullptr, SystemCertificates, nullptr, nullptr, nullptr)
            : mosquitto_tls_set(mosq, caFile.constData(), nullptr, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS)
        return QStringLiteral("CA 파일을 읽을 수 없습니다: %1").arg(settings.CaFile);
    return {};
}

/// Connects, serves the connection until it ends, waits and tries again, until closing.
void MqttConnection::Session::run()
{
    int delay = FirstRetrySeconds;
    bool first = true;
    while (!stopping) {
        post({MqttState::Connecting, {}, 0});
        refusal = 0;
        madeConnection = false;
        logged.clear();
        errno = 0;
        const QByteArray host = settings.Host.toUtf8();
        int rc = first ? mosquitto_connect_async(mosq, host.constData(), settings.Port,
                                                 settings.KeepAlive)
                       : mosquitto_reconnect_async(mosq);
        int savedErrno = errno;
        first = false;
        if (rc == MOSQ_ERR_SUCCESS) {
            rc = serve();
            savedErrno = errno;
        }
        connected = false;
        if (stopping)
            break;
        // Two programs with one client id take the session from each other for ever: say so
        // and back off instead of coming straight back.
        const bool takeover = takenOver(rc);
        if (madeConnection && !takeover)
            delay = FirstRetrySeconds;
        const QString why =
            takeover ? QStringLiteral("같은 클라이언트 ID(%1)로 다른 프로그램이 접속했습니다")
                           .arg(settings.clientId())
            : refusal ? refusalText(refusal)
                      : failureText(rc, savedErrno, logged, madeConnection, settings.Tls);
        post({MqttState::Failed,
              madeConnection ? QStringLiteral("연결이 끊어졌습니다: %1").arg(why) : why, delay});
        if (!waitBeforeRetry(delay))
            break;
        delay = std::min(delay * 2, LastRetrySeconds);
    }
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    wake.notify_all();
}

/// Runs libmosquitto's network loop until the connection ends (its result) or, when closing,
/// until "offline" and the DISCONNECT have gone out.
int MqttConnection::Session::serve()
{
    std::optional<std::chrono::steady_clock::time_point> flushedBy;
    for (;;) {
        const int rc = mosquitto_loop(mosq, LoopWaitMs, 1);
        if (rc != MOSQ_ERR_SUCCESS)
            return rc;
        if (!stopping)
            continue;
        if (!connected)
            return MOSQ_ERR_SUCCESS;
        if (!flushedBy)
            flushedBy = std::chrono::steady_clock::now() + FlushTime;
        else if (std::chrono::steady_clock::now() > *flushedBy)
            return MOSQ_ERR_SUCCESS;
    }
}

bool MqttConnection::Session::waitBeforeRetry(int seconds)
{
    std::unique_lock lock(mutex);
    wake.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping.load(); });
    return !stopping;
}

/// Hands a status to the owner's thread.
/// Runs call(owner, generation) on the owner's thread, while the owner still listens.
template <typename Call> void MqttConnection::Session::toOwner(Call call)
{
    std::lock_guard lock(mutex);
    if (!owner)
        return;
    QMetaObject::invokeMethod(
        owner, [owner = owner, generation = generation, call] { call(owner, generation); },
        Qt::QueuedConnection);
}

void MqttConnection::Session::post(const MqttStatus &status)
{
    toOwner([status](MqttConnection *owner, int generation) { owner->take(generation, status); });
}

void MqttConnection::Session::onConnect(mosquitto *mosq, void *self, int code)
{
    auto *session = static_cast<Session *>(self);
    if (code != 0) {
        session->refusal = code;
        return;
    }
    session->madeConnection = true;
    session->connectedAt = std::chrono::steady_clock::now();
    mosquitto_publish(mosq, nullptr, session->statusTopic.constData(), int(Online.size()),
                      Online.constData(), StatusQos, true);
    for (const QByteArray &filter : session->subscriptions)
        mosquitto_subscribe_v5(mosq, nullptr, filter.constData(), RequestQos, SubscribeOptions,
                               nullptr);
    session->connected = true;
    session->post({MqttState::Connected, {}, 0});
}

void MqttConnection::Session::onMessage(mosquitto *, void *self, const mosquitto_message *message,
                                        const mosquitto_property *properties)
{
    auto *session = static_cast<Session *>(self);
    MqttMessage received;
    received.topic = QString::fromUtf8(message->topic);
    received.payload = QByteArray(static_cast<const char *>(message->payload), message->payloadlen);
    received.retained = message->retain;
    char *responseTopic = nullptr;
    if (mosquitto_property_read_string(properties, MQTT_PROP_RESPONSE_TOPIC, &responseTopic,
                                       false)) {
        received.responseTopic = QString::fromUtf8(responseTopic);
        free(responseTopic);
    }
    void *correlation = nullptr;
    uint16_t correlationLength = 0;
    if (mosquitto_property_read_binary(properties, MQTT_PROP_CORRELATION_DATA, &correlation,
                                       &correlationLength, false)) {
        received.correlationData =
            QByteArray(static_cast<const char *>(correlation), correlationLength);
        free(correlation);
    }
    uint32_t expiry = 0;
    if (mosquitto_property_read_int32(properties, MQTT_PROP_MESSAGE_EXPIRY_INTERVAL, &expiry,
                                      false))
        received.expirySeconds = expiry;
    session->toOwner([received](MqttConnection *owner, int generation) {
        owner->deliver(generation, received);
    });
}

void MqttConnection::Session::onPublish(mosquitto *, void *self, int mid)
{
    static_cast<Session *>(self)->toOwner(
        [mid](MqttConnection *owner, int generation) { owner->acknowledge(generation, mid); });
}

void MqttConnection::Session::onDisconnect(mosquitto *, void *self, int)
{
    static_cast<Session *>(self)->connected = false;
}

void MqttConnection::Session::onLog(mosquitto *, void *self, int level, const char *text)
{
    if (level & MOSQ_LOG_ERR)
        static_cast<Session *>(self)->logged = QString::fromUtf8(text);
}

MqttConnection::MqttConnection(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<MqttStatus>();
    qRegisterMetaType<MqttMessage>();
}

MqttConnection::~MqttConnection()
{
    endSession(); // no status signal from a connection being destroyed
}

void MqttConnection::open(const MqttSettings &settings, const QString &statusTopic,
                          const QStringList &subscriptions)
{
    endSession();
    initLibrary();
    auto session = std::make_shared<Session>();
    session->settings = settings;
    session->statusTopic = statusTopic.toUtf8();
    for (const QString &filter : subscriptions)
        session->subscriptions.append(filter.toUtf8());
    session->generation = ++m_generation;
    session->owner = this;
    session->mosq = mosquitto_new(settings.clientId().toUtf8().constData(), true, session.get());
    const QString problem =
        session->mosq ? session->configure() : QStringLiteral("MQTT 클라이언트를 만들 수 없습니다");
    if (!problem.isEmpty()) {
        take(m_generation, {MqttState::Failed, problem, 0});
        return;
    }
    m_session = session;
    take(m_generation, {MqttState::Connecting, {}, 0});
    session->thread = std::thread([session] { session->run(); });
}

void MqttConnection::close()
{
    endSession();
    take(m_generation, {});
}

void MqttConnection::endSession()
{
    ++m_generation; // what the ending session still posts is not taken
    if (!m_session)
        return;
    const std::shared_ptr<Session> session = std::move(m_session);
    if (session->connected) {
        mosquitto_publish(session->mosq, nullptr, session->statusTopic.constData(),
                          int(Offline.size()), Offline.constData(), StatusQos, true);
        mosquitto_disconnect(session->mosq);
    }
    std::unique_lock lock(session->mutex);
    session->stopping = true;
    session->owner = nullptr;
    session->wake.notify_all();
    const bool ended = session->wake.wait_for(lock, std::chrono::milliseconds(CloseWaitMs),
                                              [&] { return session->finished; });
    lock.unlock();
    if (ended)
        session->thread.join();
    else
        session->thread.detach(); // it ends on its own and frees the session then
}

bool MqttConnection::isConnected() const
{
    return m_session && m_session->connected;
}

bool MqttConnection::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (!isConnected())
        return false;
    const QByteArray name = topic.toUtf8();
    return mosquitto_publish(m_session->mosq, nullptr, name.constData(), int(payload.size()),
                             payload.constData(), ValueQos, retain) == MOSQ_ERR_SUCCESS;
}

bool MqttConnection::publishReply(const QString &topic, const QByteArray &payload,
                                  const QByteArray &correlationData)
{
    if (!isConnected())
        return false;
    mosquitto_property *properties = nullptr;
    if (!correlationData.isEmpty())
        mosquitto_property_add_binary(&properties, MQTT_PROP_CORRELATION_DATA,
                                      correlationData.constData(),
                                      uint16_t(std::min<qsizetype>(correlationData.size(), 65535)));
    const QByteArray name = topic.toUtf8();
    const int rc =
        mosquitto_publish_v5(m_session->mosq, nullptr, name.constData(), int(payload.size()),
                             payload.constData(), RequestQos, false, properties);
    mosquitto_property_free_all(&properties);
    return rc == MOSQ_ERR_SUCCESS;
}

int MqttConnection::publishTracked(const QString &topic, const QByteArray &payload)
{
    if (!isConnected())
        return -1;
    const QByteArray name = topic.toUtf8();
    int mid = 0;
    const int rc = mosquitto_publish(m_session->mosq, &mid, name.constData(), int(payload.size()),
                                     payload.constData(), RequestQos, false);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttConnection::acknowledge(int generation, int mid)
{
    if (generation == m_generation)
        emit delivered(mid);
}

void MqttConnection::deliver(int generation, const MqttMessage &message)
{
    if (generation == m_generation)
        emit messageReceived(message);
}

void MqttConnection::take(int generation, const MqttStatus &status)
{
    if (generation != m_generation)
        return;
    if (status != m_status) {
        m_status = status;
        emit statusChanged(m_status);
    }
    if (status.state == MqttState::Connected)
        emit connected();
}
