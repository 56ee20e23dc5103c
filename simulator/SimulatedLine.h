#pragma once

#include "Frames.h"
#include "SimulatedController.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QRandomGenerator>
#include <memory>

/// A line of simulated controllers as a request-in, replies-out machine, free of any port.
///
/// Requests are assembled from STX to LF (the 0x00 after each request and any stray byte are
/// ignored). Only the controller whose number the request carries answers:
///   WHO  -> STX dd "WHO,OK,ZQ500" [checksum] CR LF
///   DRR  -> STX dd "DRR,OK" then "," and four hex characters per register [checksum] CR LF
///   DWR  -> STX dd "DWR,OK" [checksum] CR LF
///   refused (bad checksum, unknown register, bad frame) -> STX dd "NG," two-digit reason ...
/// Faults can be injected, each with a rate between 0 and 1.
class SimulatedLine
{
public:
    enum class Fault { Silence, Late, Split, Noise, BadChecksum, Ng, Cut };

    /// Bytes to put on the line delayMs after the request's LF arrived.
    struct Emission
    {
        int delayMs = 0;
        QByteArray bytes;
    };

    /// NG reasons.
    static constexpr int ReasonChecksum = 1;
    static constexpr int ReasonFrame = 2;
    static constexpr int ReasonRegister = 3;
    static constexpr int ReasonValue = 4;

    /// A late reply comes this long after the request: beyond the monitor's 600 ms time-out.
    static constexpr int LateMs = 900;
    /// The gap between the pieces of a split reply: longer than the monitor's 200 ms read pause.
    static constexpr int SplitGapMs = 260;

    SimulatedLine(const QList<int> &deviceNos, Frames::ChecksumMode mode, quint32 seed = 1);

    void setLatency(int ms) { m_latencyMs = ms; }
    /// One controller answers after ms instead of the line's latency; NoReply: not at all.
    /// A negative value other than NoReply gives it the line's latency again.
    static constexpr int NoReply = -1;
    static constexpr int LineLatency = -2;
    void setDeviceLatency(int deviceNo, int ms);
    void setFault(Fault fault, double rate);

    /// Feeds bytes from the monitor; returns what the line answers, in order.
    QList<Emission> receive(const QByteArray &bytes);

    /// Lets time pass for every controller.
    void advance(int ms);

    SimulatedController *controller(int deviceNo);

    static std::optional<Fault> faultFromName(const QString &name);

private:
    std::optional<QByteArray> answer(const QByteArray &request);
    QByteArray replyFrame(const QByteArray &body) const;
    QByteArray negative(const QByteArray &deviceDigits, int reason) const;
    QByteArray readRegisters(SimulatedController &device, const QByteArray &request);
    QByteArray writeRegisters(SimulatedController &device, const QByteArray &request);
    QList<Emission> deliver(QByteArray reply, int latencyMs);
    bool roll(Fault fault);
    QByteArray noise();

    QMap<int, std::shared_ptr<SimulatedController>> m_devices;
    Frames::ChecksumMode m_mode;
    QRandomGenerator m_random;
    QMap<Fault, double> m_faults;
    QByteArray m_request;
    int m_latencyMs = 20;
    QMap<int, int> m_deviceLatencyMs;
};
