#pragma once

#include "MemoryLink.h"
#include "MonitorSettings.h"
#include "PollingEngine.h"
#include "SimulatedLine.h"
#include "VirtualClock.h"

#include <QByteArray>
#include <QList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

/// connected() and running() of every row of the table, in row order.
QList<bool> connectedRows(const DeviceTable &table);
QList<bool> runningRows(const DeviceTable &table);

/// A monitor engine in a temporary program folder, on an in-memory line of simulated
/// controllers, in virtual time starting at 2024-05-01 13:04:05. Controllers answer 20 ms after
/// a request; the engine reads 200 ms after the first byte and sends the next request 50 ms
/// later, so an exchange takes 270 ms. The engine is built but not started up.
struct EngineHarness
{
    /// Which settings files the program folder starts with.
    struct Settings
    {
        /// CFG/SetMulti.INI with these devices in use; none written when empty.
        QList<int> listed;
        /// Comm.CFG for COM1 with this protocol; none written when empty.
        QByteArray protocol;
        /// CFG/LogSaveF.INI switching the trace on.
        bool trace = false;
    };

    QTemporaryDir dir;
    VirtualClock clock;
    MemoryLink link{clock};
    SimulatedLine line;
    std::unique_ptr<PollingEngine> engine;
    /// The program folder's settings files, applied to the engine as the core applies them.
    std::unique_ptr<MonitorSettings> settings;

    /// present: the controllers that answer, framed as the protocol says (SUM unless "STD").
    EngineHarness(const Settings &settings, const QList<int> &present);

    /// Starts the engine on the settings files, as the program does.
    void startUp() { settings->load(); }

    /// The transmitted frames (each checked for its trailing 0x00) from index first on.
    QList<QByteArray> frames(qsizetype first = 0) const;
    /// When each transmission went out, in ms of virtual time.
    QList<qint64> times() const;
    /// Runs until n more frames went out.
    void runFrames(int n);
    /// Runs until n more frames went out and returns them.
    QList<QByteArray> nextFrames(int n);
    /// Opens the port, runs until the engine goes online and the first status exchange is
    /// done; the next status request is then due in 50 ms. False when it never goes online.
    bool goOnline();
    /// Runs virtual time until the engine is on line (identification done); false after maxMs.
    bool untilOnline(qint64 maxMs = 10000);
    /// Runs virtual time in 10 ms steps until done() or maxMs passed; false on the deadline.
    bool runUntil(const std::function<bool()> &done, qint64 maxMs);
};
