// The polling engine's reply path: arbitrary bytes arrive in arbitrary chunks as the replies to
// every kind of request, in both framings, the virtual clock driving the timers.
// Invariants: the polled index stays in the list, the request code is a known one, and after
// the bytes stop a request goes out again (polling never stalls).

#include "EngineHarness.h"
#include "FuzzCheck.h"

#include <QCoreApplication>

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
    EngineHarness h({{1, 2, 3}, sum ? "SUM" : "STD", false}, {1, 3});
    h.engine->startUp();
    if (!h.engine->openPort().ok())
        return 0;
    h.clock.advance(3000); // on line, polling
    MemoryTable table;
    switch ((data[0] >> 1) % 6) {
    case 1:
        h.engine->readParameters();
        break;
    case 2:
        h.engine->readErrorHistory();
        break;
    case 3:
        h.engine->readMemory(table);
        break;
    case 4:
        h.engine->sendMemory(table);
        break;
    case 5:
        h.engine->writeRegister(102, 1, data[1] % 100);
        break;
    default:
        break;
    }
    h.link.attach(nullptr); // from here on only the fuzz bytes answer
    size_t at = 2;
    while (at < size) {
        const size_t chunk = std::min<size_t>(size - at, 1 + data[at - 1] % 64);
        h.link.deliver(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(chunk)),
                       data[at - 1] % 300);
        h.clock.advance(1 + data[at - 1] % 400);
        at += chunk;
        const auto &state = h.engine->state();
        check(h.engine->CurrentIndex() >= 0 && h.engine->CurrentIndex() <= state.LastIndex);
        check(knownCode(h.engine->RequestCode()));
    }
    const qsizetype sent = h.link.sent().size();
    h.clock.advance(2000);
    check(h.link.sent().size() > sent);
    return 0;
}
