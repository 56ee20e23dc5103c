#include "MainWindowHarness.h"

#include "ProgramFolder.h"

#include <QApplication>
#include <QTest>

MainWindowHarness::MainWindowHarness(const QList<int> &present, const QList<int> &listed,
                                     const QMap<QString, QByteArray> &files)
    : EngineHarness({listed, {}, false}, present)
{
    for (auto file = files.cbegin(); file != files.cend(); ++file)
        ProgramFolder(dir.path()).write(file.key(), file.value());
    ticker = std::make_unique<DisplayTicker>(*engine);
    alarms = std::make_unique<AlarmEngine>(*engine);
    publisher = std::make_unique<MqttPublisher>(*engine);
    announcer = std::make_unique<LineAnnouncer>(*engine, *publisher, QStringLiteral("ZQ410"));
    server = std::make_unique<LineServer>(*engine, *publisher, *alarms, *announcer);
    server->setOperatorSwitch(true);
    startUp();
    ticker->start();
    alarms->start();
    publisher->start();
    window =
        std::make_unique<frmZQ410_Main>(*engine, *settings, *ticker, *alarms, *publisher, *server);
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the main window did not become active");
}

MainWindowHarness::~MainWindowHarness()
{
    window.reset(); // before what it shows
    server.reset();
    announcer.reset();
    publisher.reset();
    alarms.reset();
    ticker.reset();
}
