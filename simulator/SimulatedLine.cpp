#include "SimulatedLine.h"

#include <QString>

namespace {

constexpr int MaxRequestBytes = 1024;

/// The decimal number of a run of digits; -1 when any character is not a digit.
int digitsValue(QByteArrayView digits)
{
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

SimulatedLine::SimulatedLine(const QList<int> &deviceNos, Frames::ChecksumMode mode, quint32 seed)
    : m_mode(mode), m_random(seed)
{
    for (int deviceNo : deviceNos)
        m_devices.insert(deviceNo, std::make_shared<SimulatedController>(deviceNo));
}

void SimulatedLine::setFault(Fault fault, double rate)
{
    m_faults[fault] = std::clamp(rate, 0.0, 1.0);
}

std::optional<SimulatedLine::Fault> SimulatedLine::faultFromName(const QString &name)
{
    static const QMap<QString, Fault> names = {{QStringLiteral("silence"), Fault::Silence},
                                               {QStringLiteral("late"), Fault::Late},
                                               {QStringLiteral("split"), Fault::Split},
                                               {QStringLiteral("noise"), Fault::Noise},
                                               {QStringLiteral("badsum"), Fault::BadChecksum},
                                               {QStringLiteral("ng"), Fault::Ng},
                                               {QStringLiteral("cut"), Fault::Cut}};
    const auto it = names.constFind(name);
    if (it == names.constEnd())
        return std::nullopt;
    return it.value();
}

SimulatedController *SimulatedLine::controller(int deviceNo)
{
    const auto it = m_devices.find(deviceNo);
    return it == m_devices.end() ? nullptr : it->get();
}

void SimulatedLine::setDeviceLatency(int deviceNo, int ms)
{
    if (ms < 0 && ms != NoReply)
        m_deviceLatencyMs.remove(deviceNo);
    else
        m_deviceLatencyMs.insert(deviceNo, ms);
}

void SimulatedLine::advance(int ms)
{
    for (const auto &device : std::as_const(m_devices))
        device->advance(ms);
}

QList<SimulatedLine::Emission> SimulatedLine::receive(const QByteArray &bytes)
{
    QList<Emission> out;
    for (char byte : bytes) {
        if (byte == Frames::STX) {
            m_request = QByteArray(1, byte);
            continue;
        }
        if (m_request.isEmpty())
            continue;
        m_request += byte;
        if (m_request.size() > MaxRequestBytes) {
            m_request.clear();
            continue;
        }
        if (byte != Frames::LF)
            continue;
        const QByteArray request = std::exchange(m_request, QByteArray());
        const int deviceNo =
            request.size() >= 3 ? digitsValue(QByteArrayView(request).sliced(1, 2)) : -1;
        const int latency = m_deviceLatencyMs.value(deviceNo, m_latencyMs);
        if (latency == NoReply)
            continue;
        if (const auto reply = answer(request))
            out += deliver(*reply, latency);
    }
    return out;
}

bool SimulatedLine::roll(Fault fault)
{
    const double rate = m_faults.value(fault, 0.0);
    return rate > 0 && m_random.generateDouble() < rate;
}

QByteArray SimulatedLine::noise()
{
    QByteArray junk;
    const int length = 3 + int(m_random.bounded(6));
    for (int i = 0; i < length; ++i) {
        char c;
        do {
            c = char(m_random.bounded(256));
        } while (c == Frames::STX || c == Frames::LF);
        junk += c;
    }
    return junk;
}

/// Applies the faults that turn one good reply into what actually reaches the line.
QList<SimulatedLine::Emission> SimulatedLine::deliver(QByteArray reply, int latencyMs)
{
    if (roll(Fault::Silence))
        return {};
    if (roll(Fault::BadChecksum) && m_mode == Frames::ChecksumMode::Sum) {
        const qsizetype at = reply.size() - 3;
        reply[at] = reply.at(at) == '0' ? '1' : '0';
    }
    if (roll(Fault::Cut))
        reply.chop(1);
    const int delay = roll(Fault::Late) ? LateMs : latencyMs;
    QList<Emission> out;
    if (roll(Fault::Noise))
        out.append({std::max(0, delay - 5), noise()});
    if (roll(Fault::Split) && reply.size() > 4) {
        const qsizetype cut = 2 + m_random.bounded(int(reply.size()) - 3);
        out.append({delay, reply.left(cut)});
        out.append({delay + SplitGapMs, reply.mid(cut)});
    } else {
        out.append({delay, reply});
    }
    return out;
}

std::optional<QByteArray> SimulatedLine::answer(const QByteArray &request)
{
    if (request.size() < 8)
        return std::nullopt;
    const int deviceNo = digitsValue(QByteArrayView(request).sliced(1, 2));
    SimulatedController *device = controller(deviceNo);
    if (!device)
        return std::nullopt; // not addressed to any controller on this line
    const QByteArray digits = request.mid(1, 2);
    QByteArray body = request.left(request.size() - 2); // without CR LF
    if (request.at(request.size() - 2) != Frames::CR)
        return negative(digits, ReasonFrame);
    if (m_mode == Frames::ChecksumMode::Sum) {
        if (!Frames::ReplyChecksumValid(request))
            return negative(digits, ReasonChecksum);
        body.chop(2);
    }
    if (roll(Fault::Ng))
        return negative(digits, ReasonValue);
    const QByteArray command = body.mid(3, 3);
    if (command == "WHO" && body.size() == 6)
        return replyFrame(digits + "WHO,OK,ZQ500");
    if (command == "DRR")
        return readRegisters(*device, body);
    if (command == "DWR")
        return writeRegisters(*device, body);
    return negative(digits, ReasonFrame);
}

/// body: STX dd "DRR" "," nn then ",aaaa" per register.
QByteArray SimulatedLine::readRegisters(SimulatedController &device, const QByteArray &body)
{
    const QByteArray digits = body.mid(1, 2);
    const int count = body.size() >= 9 && body.at(6) == ',' ? digitsValue(body.mid(7, 2)) : -1;
    if (count < 1 || body.size() != 9 + 5 * count)
        return negative(digits, ReasonFrame);
    QByteArray reply = digits + "DRR,OK";
    for (int k = 0; k < count; ++k) {
        const qsizetype at = 9 + 5 * k;
        const int address = body.at(at) == ',' ? digitsValue(body.mid(at + 1, 4)) : -1;
        const auto value = address < 0 ? std::nullopt : device.readRegister(address);
        if (!value)
            return negative(digits, ReasonRegister);
        reply += ',' + Frames::ValueToHex(*value, 4);
    }
    return replyFrame(reply);
}

/// body: STX dd "DWR" "," nn then ",aaaa,vvvv" per register. All or nothing: every write is
/// checked before any is made.
QByteArray SimulatedLine::writeRegisters(SimulatedController &device, const QByteArray &body)
{
    const QByteArray digits = body.mid(1, 2);
    const int count = body.size() >= 9 && body.at(6) == ',' ? digitsValue(body.mid(7, 2)) : -1;
    if (count < 1 || body.size() != 9 + 10 * count)
        return negative(digits, ReasonFrame);
    QList<std::pair<int, int>> writes;
    for (int k = 0; k < count; ++k) {
        const qsizetype at = 9 + 10 * k;
        const int address = body.at(at) == ',' ? digitsValue(body.mid(at + 1, 4)) : -1;
        if (address < 0 || body.at(at + 5) != ',')
            return negative(digits, ReasonFrame);
        const int value = Frames::HexToSigned16(QByteArrayView(body).sliced(at + 6, 4));
        if (!device.accepts(address, value))
            return negative(digits, device.readRegister(address) ? ReasonValue : ReasonRegister);
        writes.append({address, value});
    }
    for (const auto &[address, value] : writes)
        device.writeRegister(address, value);
    return replyFrame(digits + "DWR,OK");
}

QByteArray SimulatedLine::negative(const QByteArray &deviceDigits, int reason) const
{
    return replyFrame(deviceDigits + "NG," + QByteArray::number(reason).rightJustified(2, '0'));
}

QByteArray SimulatedLine::replyFrame(const QByteArray &body) const
{
    return Frames::finish(Frames::STX + body, m_mode);
}
