// The polling engine's reply path: arbitrary bytes arrive in arbitrary chunks as the replies to
// every kind of request, in both framings, the virtual clock driving the timers.
// Invariants: the polled index stays in the list, the request code is a known one, and after
// the bytes stop a request goes out again (polling never stalls).

#include "FuzzCheck.h"
#include "MemoryLink.h"
#include "PollingEngine.h"
#include "ProgramFolder.h"
#include "VirtualClock.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

bool knownCode(int code)
{
    return code == 1 || code == 11 || code == 21 || code == 22 || code == 101 ||
           (code >= 51 && code <= 62) || (code >= 151 && code <= 162);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_replies";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size < 2)
        return 0;
    const bool sum = data[0] & 1;
    // The program folders are written and read once; each run starts a fresh engine on them.
    static QTemporaryDir folders[2];
    static const std::array<SettingsFiles::StartSettings, 2> settings = [] {
        std::array<SettingsFiles::StartSettings, 2> read;
        for (int i = 0; i < 2; ++i) {
            const ProgramFolder folder(folders[i].path());
            folder.writeDeviceList({1, 3});
            folder.writePort("COM1", i ? "SUM" : "STD");
            const QString program = folders[i].path();
            read[i] = SettingsFiles(program).LoadStartSettings(program + QStringLiteral("/data"));
        }
        return read;
    }();
    const QString program = folders[sum].path();
    VirtualClock clock(QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5)));
    MemoryLink link(clock);
    SimulatedLine line({1, 3}, sum ? Frames::ChecksumMode::Sum : Frames::ChecksumMode::Std);
    link.attach(&line);
    PollingEngine engine(link, clock, program);
    engine.startUp(settings[sum]);
    if (!engine.openPort().ok())
        return 0;
    clock.advance(1000); // on line, polling
    MemoryTable table;
    switch ((data[0] >> 1) % 6) {
    case 1:
        engine.readParameters();
        break;
    case 2:
        engine.readErrorHistory();
        break;
    case 3:
        engine.readMemory(table);
        break;
    case 4:
        engine.sendMemory(table);
        break;
    case 5:
        engine.writeRegister(102, 1, data[1] % 100);
        break;
    default:
        break;
    }
    link.attach(nullptr); // from here on only the fuzz bytes answer
    size_t at = 2;
    while (at < size) {
        const size_t chunk = std::min<size_t>(size - at, 1 + data[at - 1] % 64);
        link.deliver(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(chunk)),
                     data[at - 1] % 300);
        clock.advance(1 + data[at - 1] % 400);
        at += chunk;
        const auto &state = engine.state();
        check(engine.CurrentIndex() >= 0 && engine.CurrentIndex() <= state.LastIndex);
        check(knownCode(engine.RequestCode()));
    }
    const qsizetype sent = link.sent().size();
    clock.advance(2000);
    check(link.sent().size() > sent);
    return 0;
}
