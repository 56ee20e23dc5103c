#pragma once

#include "Alarm.h"
#include "AlarmSettings.h"
#include "Timer.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <memory>
#include <optional>

class PollingEngine;

/// The alarm system on the engine's data, with or without a window: per controller a lost
/// link, the high, low and deviation limits of Alarm.INI (with deadband and on-delay) and the
/// controller's own BUZZER bit. Each alarm goes normal -> active unacknowledged -> active
/// acknowledged -> normal, or active unacknowledged -> returned unacknowledged -> normal on
/// acknowledgement; every transition is journaled (AlarmJournal) and signalled. At start-up the
/// journal of the last days is replayed, so alarms not yet normal come back after a restart.
class AlarmEngine : public QObject
{
    Q_OBJECT

public:
    /// How often the links are looked at (a controller is given up by the engine's time-outs).
    static constexpr int LinkCheckMs = 1000;
    /// STATUS bit of the controller's buzzer.
    static constexpr int BuzzerBit = 8;

    explicit AlarmEngine(PollingEngine &engine, QObject *parent = nullptr);
    ~AlarmEngine() override;

    /// Reads Alarm.INI and restores the alarms of the journal; then watches the line.
    void start();
    /// Stores the settings in Alarm.INI and takes them; false when the file was not written.
    bool apply(const AlarmSettings &settings);
    const AlarmSettings &settings() const { return m_settings; }
    /// Why Alarm.INI could not be taken at start-up (empty when it could).
    QString settingsError() const { return m_settingsError; }
    QString settingsPath() const;

    /// The alarms that are not normal, the newest first.
    QList<Alarm> alarms() const;
    int unacknowledgedCount() const;
    /// The controller has an alarm that is not normal.
    bool hasAlarm(int deviceNo) const;
    QString channelName(int deviceNo) const { return m_names.value(deviceNo); }
    /// The journal's folder: the data folder of the recording settings.
    QString journalFolder() const;
    /// Today on the engine's clock (whose journal file is being written).
    QDate today() const;

    void acknowledge(int deviceNo, AlarmKind kind);
    void acknowledgeAll();
    /// Journal lines that could not be written since the last that could (full disk).
    int journalFailures() const { return m_journalFailures; }

signals:
    /// After the alarm's state changed; the journal has its line (unless the disk refused it).
    void transitioned(const AlarmTransition &transition, const Alarm &alarm);

private:
    /// What the conditions of one alarm have been doing.
    struct Watch
    {
        /// Since when (ms on the engine's clock) the limit has been crossed without a raise.
        std::optional<qint64> crossedSinceMs;
    };

    static int keyOf(int deviceNo, AlarmKind kind) { return deviceNo * 8 + int(kind); }

    void onStatusBlock(int row);
    void onLinkCheck();
    void onPortLost();
    void reloadNames();
    void restore();

    /// One limit alarm: raised once beyond has held for the on-delay, cleared once within (a
    /// clear names the limit the alarm was raised against; bySettings: a settings change, not
    /// the value, ended it).
    void judge(int deviceNo, AlarmKind kind, bool beyond, bool within, int onDelaySeconds,
               const QString &value, const QString &limit, bool bySettings = false);
    /// A limit of the settings (nullopt: off) against a measured value: above it (high,
    /// deviation) or below it (low) while armed raises, back inside by the deadband clears.
    void judgeLimit(int deviceNo, AlarmKind kind, const std::optional<double> &limit, bool above,
                    double measured, bool armed, const AlarmLimits &limits, int decimals);
    void step(int deviceNo, AlarmKind kind, AlarmStep step, const QString &value = {},
              const QString &limit = {});
    bool linkLost(int row) const;

    PollingEngine &m_engine;
    AlarmSettings m_settings;
    QString m_settingsError;
    QMap<int, Alarm> m_alarms;
    QHash<int, Watch> m_watches;
    QHash<int, QString> m_names;
    /// Controllers that answered their status requests at the last link check.
    QList<int> m_current;
    std::unique_ptr<Timer> m_linkTimer;
    int m_journalFailures = 0;
};
