#pragma once

/// Ends the fuzz run with a crash the fuzzer records: an invariant no input may break.
inline void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}
