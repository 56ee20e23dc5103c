#include "RecordForwarder.h"

#include "ControllerTopics.h"
#include "MqttConnection.h"
#include "PollingEngine.h"

#include <QFile>
#include <QFileInfo>

namespace {

/// What a record line takes, until lines have been read ("2026-12-11\t14:00:00\t60.0\t..").
constexpr qint64 TypicalLineBytes = 37;

QByteArray payloadOf(const TrendFile::Record &record, bool historical)
{
    return "{\"time\":\"" + ControllerTopics::isoWithOffset(record.time).toLatin1() +
           "\",\"sv\":" + record.sv + ",\"pv\":" + record.pv + ",\"aux\":" + record.aux +
           ",\"historical\":" + (historical ? "true" : "false") + '}';
}

} // namespace

/// One controller's trend file as it is forwarded.
struct RecordForwarder::Stream
{
    int deviceNo = 0;
    QString path;
    /// The cursor: where the acknowledged records end, and the last one's time.
    qint64 acked = 0;
    QDateTime ackedTime;
    /// The next record to replay; records before liveFrom were written before this connection.
    qint64 next = 0;
    qint64 liveFrom = 0;
    /// Where the live records read so far end.
    qint64 livePos = 0;
    struct Pending
    {
        qint64 end;
        QDateTime time;
        bool done;
    };
    /// Records sent and not yet acknowledged (and lines passed over behind them), by start.
    std::map<qint64, Pending> pending;
    qint64 lineBytes = TypicalLineBytes;
};

RecordForwarder::RecordForwarder(PollingEngine &engine, MqttConnection &connection, QObject *parent)
    : QObject(parent), m_engine(engine), m_connection(connection),
      m_cursorFile(engine.programFolder())
{
    connect(&m_connection, &MqttConnection::connected, this, &RecordForwarder::onConnected);
    connect(&m_connection, &MqttConnection::delivered, this, &RecordForwarder::onDelivered);
    // Sending waits for this side to have heard of the connection (and started over from the
    // cursors); the connection's own flag turns earlier, on its thread.
    connect(&m_connection, &MqttConnection::statusChanged, this, [this](const MqttStatus &status) {
        if (status.state != MqttState::Connected)
            m_online = false;
    });
    connect(&m_engine.table(), &QAbstractItemModel::modelReset, this,
            &RecordForwarder::rebuildStreams);
    m_tick = m_engine.clock().createTimer([this] {
        onTick();
        if (m_running)
            m_tick->start(TickMs);
    });
    m_saveTimer = m_engine.clock().createTimer([this] { saveCursors(); });
}

RecordForwarder::~RecordForwarder()
{
    saveCursors();
}

QString RecordForwarder::pathOf(int deviceNo) const
{
    const RecordingSettings &recording = m_engine.state().recording;
    return TrendFile::path(recording.DataFolder, recording.DataFilePrefix, deviceNo);
}

void RecordForwarder::start(const QString &prefix, int horizonDays)
{
    m_prefix = prefix;
    m_horizonDays = horizonDays;
    m_running = true;
    m_saved = m_cursorFile.load();
    m_streams.clear();
    rebuildStreams();
    m_tick->start(TickMs);
}

void RecordForwarder::stop()
{
    saveCursors();
    m_running = false;
    m_online = false;
    m_tick->stop();
    m_streams.clear();
    m_inFlight.clear();
    reportBacklog();
}

/// Streams follow the device list: a controller removed drops its cursor.
void RecordForwarder::rebuildStreams()
{
    if (!m_running)
        return;
    QHash<int, std::shared_ptr<Stream>> streams;
    for (const int deviceNo : m_engine.state().DeviceList) {
        if (auto kept = m_streams.value(deviceNo)) {
            streams.insert(deviceNo, kept);
            continue;
        }
        auto stream = std::make_shared<Stream>();
        stream->deviceNo = deviceNo;
        stream->path = pathOf(deviceNo);
        const ForwardCursors::Cursor cursor = m_saved.value(deviceNo);
        stream->acked = cursor.position;
        stream->ackedTime = cursor.time;
        resume(*stream);
        streams.insert(deviceNo, stream);
    }
    m_streams = streams;
    for (auto it = m_saved.begin(); it != m_saved.end();) {
        it = m_streams.contains(it.key()) ? std::next(it) : m_saved.erase(it);
    }
    m_inFlight.clear();
    m_saveTimer->start(CursorSaveMs);
}

/// Starts a stream over from its cursor. A cursor that no longer fits its file (the file was
/// replaced, truncated or is gone, or the recording moved) starts from the file's beginning.
void RecordForwarder::resume(Stream &stream)
{
    const QString path = pathOf(stream.deviceNo);
    QFile file(path);
    const qint64 size = file.open(QIODevice::ReadOnly) ? file.size() : 0;
    bool fits = stream.acked == 0 || (path == stream.path && stream.acked <= size);
    if (fits && stream.acked > 0) {
        // The acknowledged record is the line that ends at the cursor.
        const qint64 from = std::max<qint64>(0, stream.acked - 256);
        file.seek(from);
        const QList<QByteArray> lines = file.read(stream.acked - from).split('\n');
        const auto last =
            lines.size() >= 2 ? TrendFile::parseRecord(lines.at(lines.size() - 2)) : std::nullopt;
        // A line that is no record there tells nothing; a record of another time, a new file.
        fits = lines.size() >= 2 && (!last || last->time == stream.ackedTime);
    }
    if (!fits) {
        emit notice(QStringLiteral("기기 %1의 트렌드 파일이 바뀌었습니다: 처음부터 다시 보냅니다")
                        .arg(stream.deviceNo, 2, 10, QLatin1Char('0')));
        stream.acked = 0;
        stream.ackedTime = {};
    }
    stream.path = path;
    stream.pending.clear();
    stream.next = stream.acked;
    stream.liveFrom = stream.livePos = size;
}

/// A new connection: every record after its cursor is sent again.
void RecordForwarder::onConnected()
{
    if (!m_running)
        return;
    m_online = true;
    m_inFlight.clear();
    for (const auto &stream : std::as_const(m_streams))
        resume(*stream);
    m_skippedOld = 0;
    reportBacklog();
}

void RecordForwarder::recordsWritten()
{
    if (!m_running || !m_online)
        return;
    for (const auto &stream : std::as_const(m_streams)) {
        int sent = 0;
        stream->livePos = readRecords(*stream, stream->livePos, -1, 1000, false, sent);
    }
    reportBacklog();
}

/// Each tick replays up to a tenth of the rate, shared out over the controllers behind.
void RecordForwarder::onTick()
{
    if (!m_online)
        return;
    int budget = RatePerSecond * TickMs / 1000;
    for (const auto &stream : std::as_const(m_streams)) {
        if (QFileInfo(stream->path).size() < stream->livePos) { // truncated under us
            stream->acked = 0;
            resume(*stream);
        }
        if (stream->next >= stream->liveFrom || stream->pending.size() >= MaxInFlight)
            continue;
        int sent = 0;
        // Lines passed over (older than the horizon) cost no budget but are read in bounds.
        stream->next = readRecords(*stream, stream->next, stream->liveFrom, 20000, true, sent);
        budget -= sent;
        if (budget <= 0)
            break;
    }
    if (m_skippedOld > 0 && backlog() == 0) {
        emit notice(QStringLiteral("%1일보다 오래된 기록 %2건은 트렌드 파일에만 남깁니다")
                        .arg(m_horizonDays)
                        .arg(m_skippedOld));
        m_skippedOld = 0;
    }
    reportBacklog();
}

qint64 RecordForwarder::readRecords(Stream &stream, qint64 from, qint64 to, int maxLines,
                                    bool historical, int &sent)
{
    QFile file(stream.path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from))
        return from;
    const int budget = RatePerSecond * TickMs / 1000;
    const QDateTime horizon = m_engine.clock().now().addDays(-m_horizonDays);
    qint64 position = from;
    for (int lines = 0; lines < maxLines && (to < 0 || position < to); ++lines) {
        if (historical && (sent >= budget || stream.pending.size() >= MaxInFlight))
            break;
        const QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            break; // the end of the file (or a line still being written)
        const qint64 start = position;
        position += line.size();
        stream.lineBytes = (stream.lineBytes * 15 + line.size()) / 16;
        const auto record = TrendFile::parseRecord(line);
        if (record && historical && record->time < horizon)
            ++m_skippedOld;
        if (!record || (historical && record->time < horizon)) {
            settle(stream, start, position, record ? record->time : QDateTime());
            continue;
        }
        send(stream, start, position, *record, historical);
        ++sent;
    }
    return position;
}

void RecordForwarder::send(Stream &stream, qint64 start, qint64 end,
                           const TrendFile::Record &record, bool historical)
{
    const QString topic =
        QStringLiteral("%1/%2/record").arg(m_prefix).arg(stream.deviceNo, 2, 10, QLatin1Char('0'));
    const int mid = m_connection.publishTracked(topic, payloadOf(record, historical));
    stream.pending[start] = {end, record.time, false};
    if (mid >= 0)
        m_inFlight.insert(mid, {stream.deviceNo, start});
}

/// A line that needs no acknowledgement (not a record, or past the horizon) is done at once.
void RecordForwarder::settle(Stream &stream, qint64 start, qint64 end, const QDateTime &time)
{
    stream.pending[start] = {end, time, true};
    advance(stream);
}

void RecordForwarder::onDelivered(int mid)
{
    const auto it = m_inFlight.constFind(mid);
    if (it == m_inFlight.cend())
        return;
    const auto [deviceNo, start] = *it;
    m_inFlight.erase(it);
    const std::shared_ptr<Stream> stream = m_streams.value(deviceNo);
    if (!stream)
        return;
    const auto pending = stream->pending.find(start);
    if (pending == stream->pending.end())
        return;
    pending->second.done = true;
    advance(*stream);
}

/// The cursor moves over the records acknowledged without a gap before them.
void RecordForwarder::advance(Stream &stream)
{
    bool moved = false;
    while (!stream.pending.empty()) {
        const auto first = stream.pending.begin();
        if (first->first != stream.acked || !first->second.done)
            break;
        stream.acked = first->second.end;
        if (first->second.time.isValid())
            stream.ackedTime = first->second.time;
        stream.pending.erase(first);
        moved = true;
    }
    if (moved && !m_saveTimer->isActive())
        m_saveTimer->start(CursorSaveMs);
}

void RecordForwarder::saveCursors()
{
    QHash<int, ForwardCursors::Cursor> cursors = m_saved;
    for (const auto &stream : std::as_const(m_streams)) {
        if (stream->acked > 0)
            cursors.insert(stream->deviceNo, {stream->acked, stream->ackedTime});
        else
            cursors.remove(stream->deviceNo);
    }
    if (cursors == m_saved && !m_saveDue && QFile::exists(m_cursorFile.path()))
        return;
    if (m_cursorFile.save(cursors)) {
        m_saved = cursors;
        m_saveDue = false;
    }
}

void RecordForwarder::saveSoon()
{
    m_saveDue = true;
    if (!m_saveTimer->isActive())
        m_saveTimer->start(CursorSaveMs);
}

qint64 RecordForwarder::backlog() const
{
    // Live records on their way are not a backlog: only those written before this connection.
    qint64 records = 0;
    for (const auto &stream : std::as_const(m_streams)) {
        records += qint64(std::distance(stream->pending.begin(),
                                        stream->pending.lower_bound(stream->liveFrom))) +
                   std::max<qint64>(0, stream->liveFrom - stream->next) / stream->lineBytes;
    }
    return records;
}

void RecordForwarder::reportBacklog()
{
    const qint64 records = backlog();
    if (records == m_reportedBacklog)
        return;
    m_reportedBacklog = records;
    emit backlogChanged(records);
}
