#include "LineServer.h"

#include "AlarmEngine.h"
#include "ControllerTopics.h"
#include "LineAnnouncer.h"
#include "LineTopics.h"
#include "MemoryTable.h"
#include "MqttPublisher.h"
#include "MqttSettingsFile.h"
#include "PollingEngine.h"
#include "RemoteFields.h"
#include "TrendFile.h"
#include "TrendHistory.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

using Op = ServedRequest::Op;
using F = DeviceTable::Field;

const QStringList AlarmKinds = {QStringLiteral("link"), QStringLiteral("high"),
                                QStringLiteral("low"), QStringLiteral("deviation"),
                                QStringLiteral("device")};

QString reasonKey(RequestFailure::Reason reason)
{
    static const char *const keys[] = {"out_of_range", "unknown_device", "not_read_yet", "refused",
                                       "corrupt",      "no_reply",       "line_closed",  "replaced",
                                       "unconfirmed",  "unverified"};
    return QString::fromLatin1(keys[int(reason)]);
}

QJsonObject failed(const QString &reason, const QString &text)
{
    return {{QStringLiteral("ok"), false},
            {QStringLiteral("reason"), reason},
            {QStringLiteral("text"), text}};
}

QString unitsText(double value)
{
    return QString::number(value, 'f', value == std::floor(value) ? 0 : 1);
}

} // namespace

struct LineServer::Job
{
    ServedRequest request;
    /// What the engine is given as the requester: its signals name this job by it.
    QObject token;
    /// Memory send: the read-back runs. Run: waiting for the next status block.
    bool secondStep = false;
    std::unique_ptr<MemoryTable> table;
    std::unique_ptr<MemoryTable> readBack;
    std::optional<Register> target;
    int decimals = 0;
    int asked = 0;
    std::optional<int> before;
};

LineServer::LineServer(PollingEngine &engine, MqttPublisher &publisher, AlarmEngine &alarms,
                       LineAnnouncer &announcer, QObject *parent)
    : QObject(parent), m_engine(engine), m_publisher(publisher), m_alarms(alarms),
      m_announcer(announcer), m_guards(engine)
{
    connect(&m_publisher, &MqttPublisher::requestReceived, this, &LineServer::onRequest);
    connect(&m_engine, &PollingEngine::requestDone, this, &LineServer::onDone);
    connect(&m_engine, &PollingEngine::requestFailed, this, &LineServer::onFailed);
    connect(&m_engine, &PollingEngine::statusBlockDecoded, this, &LineServer::onStatusBlock);
    connect(&m_engine, &PollingEngine::replyTimedOut, this, &LineServer::onStatusBlock);
    connect(&m_engine, &PollingEngine::onlineChanged, this, [this](bool online) {
        if (!online && m_active)
            onStatusBlock(rowOf(m_active->request.device)); // a run waiting for its STATUS
    });
    connect(&m_engine, &PollingEngine::errorHistoryReceived, this,
            [this](int, const QList<int> &codes) { m_lastCodes = codes; });
    connect(&m_publisher, &MqttPublisher::statusChanged, this, &LineServer::refreshPolicy);
}

LineServer::~LineServer() = default;

void LineServer::setOperatorSwitch(bool needed)
{
    m_switchNeeded = needed;
    refreshPolicy();
}

void LineServer::setOperatorAllows(bool allowed)
{
    m_operatorAllows = allowed;
    refreshPolicy();
}

bool LineServer::commandsEnabled() const
{
    return m_settingsAllow && (m_operatorAllows || !m_switchNeeded);
}

void LineServer::refreshPolicy()
{
    const MqttSettings &settings = m_publisher.settings();
    m_settingsAllow = settings.Enabled && settings.CommandsEnabled;
    m_guards.setPolicy({commandsEnabled(), settings.CommandUsers});
    m_announcer.setCommands(commandsEnabled(), settings.CommandUsers);
    if (commandsEnabled() != m_enabledShown) {
        m_enabledShown = commandsEnabled();
        emit commandsEnabledChanged(m_enabledShown);
    }
}

int LineServer::rowOf(int deviceNo) const
{
    return int(m_engine.state().DeviceList.indexOf(deviceNo));
}

void LineServer::onRequest(const MqttMessage &message)
{
    const ServedRequest::Parsed parsed = ServedRequest::parse(message, m_publisher.topicPrefix());
    if (!parsed.request)
        return; // no one to answer
    const ServedRequest &request = *parsed.request;
    if (!parsed.problem.isEmpty())
        return refuse(request, {QStringLiteral("bad_request"), parsed.problem});
    if (request.isCommand()) {
        if (const auto refusal = m_guards.check(request))
            return refuse(request, *refusal);
    }
    if (request.op == Op::History)
        return sendHistory(request);
    if (request.op == Op::Acknowledge)
        return acknowledge(request);
    if (!m_engine.isPortOpen())
        return refuse(request,
                      {QStringLiteral("line_closed"), QStringLiteral("통신포트가 닫혀 있습니다")});
    auto job = std::make_unique<Job>();
    job->request = request;
    if (request.isCommand())
        m_guards.started(request.device);
    start(std::move(job));
}

/// One request at a time goes to the engine: its single slot would let a later one replace it.
void LineServer::start(std::unique_ptr<Job> job)
{
    m_waiting.push_back(std::move(job));
    if (!m_active)
        startNext();
}

void LineServer::startNext()
{
    if (m_waiting.empty())
        return;
    m_active = std::move(m_waiting.front());
    m_waiting.pop_front();
    dispatch(*m_active);
}

void LineServer::dispatch(Job &job)
{
    const ServedRequest &r = job.request;
    // The port closed while it waited: the engine would keep it for the next opening.
    if (!m_engine.isPortOpen())
        return finish(
            failed(QStringLiteral("line_closed"), QStringLiteral("통신포트가 닫혀 있습니다")));
    QObject *token = &job.token;
    const int row = rowOf(r.device);
    switch (r.op) {
    case Op::Parameters:
        return m_engine.readParameters(token, r.device);
    case Op::Errors:
        m_lastCodes.clear();
        return m_engine.readErrorHistory(token, r.device);
    case Op::Memory:
        job.table = std::make_unique<MemoryTable>();
        return m_engine.readMemory(*job.table, token, r.device);
    case Op::Write:
        job.target = RemoteFields::writable(r.field);
        job.decimals = m_engine.table().value(row, F::DecimalPlaces).value_or(0);
        job.asked = *RemoteFields::rawOf(*job.target, r.value, job.decimals);
        job.before = m_engine.table().value(row, job.target->field);
        return m_engine.writeRegister(job.target->address, job.asked, r.device, token);
    case Op::Run:
        return m_engine.writeRegister(
            RegisterMap::commandRegister(*RemoteFields::command(r.command)), 1, r.device, token);
    case Op::MemorySend: {
        job.decimals = m_engine.table().value(row, F::DecimalPlaces).value_or(0);
        job.table = std::make_unique<MemoryTable>();
        for (int entry = 0; entry < MemoryTable::Rows; ++entry) {
            const auto &[sv, on, off] = r.entries.at(entry);
            job.table->setCell(1, entry + 1, QString::number(sv, 'f', job.decimals));
            job.table->setCell(2, entry + 1, QString::number(on, 'f', 0));
            job.table->setCell(3, entry + 1, QString::number(off, 'f', 0));
        }
        return m_engine.sendMemory(*job.table, token, r.device);
    }
    default:
        return;
    }
}

void LineServer::onDone(QObject *requester)
{
    if (!m_active || requester != &m_active->token)
        return;
    Job &job = *m_active;
    const int row = rowOf(job.request.device);
    switch (job.request.op) {
    case Op::Parameters:
        return finish(parametersReply(row));
    case Op::Errors: {
        QJsonArray codes;
        for (const int code : m_lastCodes)
            codes.append(code);
        return finish({{QStringLiteral("ok"), true}, {QStringLiteral("codes"), codes}});
    }
    case Op::Memory:
        return finish(memoryReply(*job.table));
    case Op::Write:
        return finish(writeReply(job));
    case Op::Run:
        job.secondStep = true; // the STATUS word after it comes with the next status block
        return;
    case Op::MemorySend:
        if (job.secondStep)
            return finish(memorySendReply(job));
        job.secondStep = true;
        job.readBack = std::make_unique<MemoryTable>();
        return m_engine.readMemory(*job.readBack, &job.token, job.request.device);
    default:
        return;
    }
}

void LineServer::onFailed(const RequestFailure &failure)
{
    if (m_active && failure.requester == &m_active->token)
        finish(failed(reasonKey(failure.reason), failure.text()));
}

/// A run command's reply carries the controller's STATUS word from its next status block (or
/// none, when the controller stopped answering).
void LineServer::onStatusBlock(int row)
{
    if (!m_active || m_active->request.op != Op::Run || !m_active->secondStep ||
        row != rowOf(m_active->request.device))
        return;
    const DeviceTable &table = m_engine.table();
    const bool fresh = m_engine.isCurrent(row);
    finish({{QStringLiteral("ok"), true},
            {QStringLiteral("status"),
             fresh ? QJsonValue(table.value(row, F::Status).value_or(0)) : QJsonValue()},
            {QStringLiteral("running"), fresh ? QJsonValue(table.running(row)) : QJsonValue()}});
}

void LineServer::finish(const QJsonObject &result)
{
    const std::unique_ptr<Job> job = std::move(m_active);
    reply(job->request, result);
    if (job->request.isCommand()) {
        m_guards.ended(job->request.device);
        if (result.value(QStringLiteral("ok")).toBool()) {
            const ServedRequest &r = job->request;
            const QString what =
                r.op == Op::Write
                    ? QStringLiteral("%1 %2 → %3")
                          .arg(DeviceTable::headers().value(
                                   DeviceTable::columnOf(job->target->field)),
                               result.value(QStringLiteral("before")).toVariant().toString(),
                               result.value(QStringLiteral("readback")).toVariant().toString())
                : r.op == Op::Run ? r.command.toUpper()
                                  : QStringLiteral("메모리 송신");
            emit commandExecuted(QStringLiteral("원격 조작: %1 — 기기 %2 %3")
                                     .arg(r.user)
                                     .arg(r.device, 2, 10, QLatin1Char('0'))
                                     .arg(what));
        }
    }
    startNext();
}

void LineServer::refuse(const ServedRequest &request, const Refusal &refusal)
{
    reply(request, failed(refusal.reason, refusal.text));
}

void LineServer::reply(const ServedRequest &request, QJsonObject reply)
{
    reply.insert(QStringLiteral("op"), request.opName());
    reply.insert(QStringLiteral("device"), request.device);
    m_publisher.connection().publishReply(request.replyTopic,
                                          QJsonDocument(reply).toJson(QJsonDocument::Compact),
                                          request.correlationData);
    if (request.isCommand())
        journal(request, reply);
}

void LineServer::journal(const ServedRequest &request, const QJsonObject &reply)
{
    const auto text = [&reply](const char *key) {
        return reply.value(QLatin1String(key)).toVariant().toString();
    };
    CommandJournal::Entry entry;
    entry.time = m_engine.clock().now();
    entry.user = request.user;
    entry.client = request.client;
    entry.device = request.device;
    entry.op = request.opName();
    entry.field = request.op == Op::Write         ? request.field
                  : request.op == Op::Run         ? request.command
                  : request.op == Op::Acknowledge ? request.kind
                                                  : QStringLiteral("entries");
    entry.before = text("before");
    entry.asked = request.op == Op::Write ? unitsText(request.value) : text("asked");
    entry.readback = text("readback");
    entry.result =
        reply.value(QStringLiteral("ok")).toBool() ? QStringLiteral("ok") : text("reason");
    CommandJournal::append(m_engine.state().recording.DataFolder, entry);
}

void LineServer::acknowledge(const ServedRequest &request)
{
    const bool all = request.kind == QLatin1String("all");
    const qsizetype kind = AlarmKinds.indexOf(request.kind);
    if (!all && kind < 0)
        return refuse(request,
                      {QStringLiteral("not_writable"),
                       QStringLiteral("알 수 없는 경보 종류입니다: %1").arg(request.kind)});
    for (qsizetype k = 0; k < AlarmKinds.size(); ++k) {
        if (all || k == kind)
            m_alarms.acknowledge(request.device, AlarmKind(k));
    }
    reply(request, {{QStringLiteral("ok"), true}});
}

QJsonObject LineServer::parametersReply(int row) const
{
    const DeviceTable &table = m_engine.table();
    const int decimals = table.value(row, F::DecimalPlaces).value_or(0);
    QJsonObject values;
    QJsonArray raw;
    for (const Register &r : RegisterMap::parameterBlock()) {
        const int value = table.value(row, r.field).value_or(0);
        values.insert(RemoteFields::nameOf(r.field), RemoteFields::valueOf(r, value, decimals));
        raw.append(value);
    }
    return {
        {QStringLiteral("ok"), true},
        {QStringLiteral("parameters"), values},
        {QStringLiteral("raw"), raw},
        {QStringLiteral("time"), ControllerTopics::isoWithOffset(m_announcer.parametersTime(row))}};
}

QJsonObject LineServer::writeReply(const Job &job) const
{
    const int row = rowOf(job.request.device);
    const Register &target = *job.target;
    const std::optional<int> readback = m_engine.table().value(row, target.field);
    const auto units = [&](std::optional<int> raw) {
        return raw ? QJsonValue(RemoteFields::valueOf(target, *raw, job.decimals)) : QJsonValue();
    };
    QJsonObject reply{{QStringLiteral("ok"), readback == job.asked},
                      {QStringLiteral("field"), job.request.field},
                      {QStringLiteral("before"), units(job.before)},
                      {QStringLiteral("asked"), units(job.asked)},
                      {QStringLiteral("readback"), units(readback)}};
    if (readback != job.asked) {
        reply.insert(QStringLiteral("reason"), QStringLiteral("not_confirmed"));
        reply.insert(QStringLiteral("text"),
                     QStringLiteral("기기 %1번이 값을 받지 않았습니다 (다시 읽은 값 %2)")
                         .arg(job.request.device)
                         .arg(units(readback).toVariant().toString()));
    }
    return reply;
}

QJsonObject LineServer::memoryReply(const MemoryTable &table) const
{
    QJsonArray entries;
    for (int row = 1; row <= MemoryTable::Rows; ++row) {
        entries.append(QJsonObject{{QStringLiteral("sv"), table.cell(1, row).toDouble()},
                                   {QStringLiteral("on"), table.cell(2, row).toDouble()},
                                   {QStringLiteral("off"), table.cell(3, row).toDouble()}});
    }
    return {{QStringLiteral("ok"), true}, {QStringLiteral("entries"), entries}};
}

QJsonObject LineServer::memorySendReply(const Job &job) const
{
    static const char *const names[] = {"sv", "on", "off"};
    QJsonArray differences;
    for (int row = 1; row <= MemoryTable::Rows; ++row) {
        for (int column = 1; column <= MemoryTable::Columns; ++column) {
            const double sent = job.table->cell(column, row).toDouble();
            const double read = job.readBack->cell(column, row).toDouble();
            if (sent != read)
                differences.append(
                    QJsonObject{{QStringLiteral("entry"), row},
                                {QStringLiteral("field"), QLatin1String(names[column - 1])},
                                {QStringLiteral("sent"), sent},
                                {QStringLiteral("read"), read}});
        }
    }
    QJsonObject reply{{QStringLiteral("ok"), differences.isEmpty()},
                      {QStringLiteral("asked"), MemoryTable::Rows},
                      {QStringLiteral("differences"), differences}};
    if (!differences.isEmpty()) {
        reply.insert(QStringLiteral("reason"), QStringLiteral("not_confirmed"));
        reply.insert(
            QStringLiteral("text"),
            QStringLiteral("다시 읽은 메모리가 보낸 값과 %1곳 다릅니다").arg(differences.size()));
    }
    return reply;
}

/// The trend file's records in the range, in replies of at most HistoryChunk records, each but
/// the last with "more": true.
void LineServer::sendHistory(const ServedRequest &request)
{
    const RecordingSettings &recording = m_engine.state().recording;
    const QString path =
        TrendFile::path(recording.DataFolder, recording.DataFilePrefix, request.device);
    int chunks = 0;
    TrendHistory::read(path, request.from, request.to, HistoryChunk,
                       [&](const QJsonArray &records, bool more) {
                           reply(request, {{QStringLiteral("ok"), true},
                                           {QStringLiteral("chunk"), chunks++},
                                           {QStringLiteral("records"), records},
                                           {QStringLiteral("more"), more}});
                       });
}
