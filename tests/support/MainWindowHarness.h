#pragma once

#include "AlarmEngine.h"
#include "DisplayTicker.h"
#include "EngineHarness.h"
#include "LineAnnouncer.h"
#include "LineServer.h"
#include "MqttPublisher.h"
#include "frmZQ410_Main.h"

#include <QMap>
#include <memory>

/// The main window on the engine harness, started up as the program's core runs it (settings,
/// display tick, alarms, publisher, then the window), shown and active. files are written into
/// the program folder first (name below it -> bytes), e.g. CFG/Alarm.INI.
struct MainWindowHarness : EngineHarness
{
    std::unique_ptr<DisplayTicker> ticker;
    std::unique_ptr<AlarmEngine> alarms;
    std::unique_ptr<MqttPublisher> publisher;
    std::unique_ptr<LineAnnouncer> announcer;
    std::unique_ptr<LineServer> server;
    std::unique_ptr<frmZQ410_Main> window;

    MainWindowHarness(const QList<int> &present, const QList<int> &listed,
                      const QMap<QString, QByteArray> &files = {});
    ~MainWindowHarness();
};
