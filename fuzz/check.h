#pragma once
// Invariant check of the fuzz targets: report and abort, which libFuzzer
// records as a crash together with the input that caused it.

#include <cstdio>
#include <cstdlib>

#define QV_FUZZ_CHECK(condition)                                                   \
    do {                                                                           \
        if (!(condition)) {                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, \
                         #condition);                                              \
            std::abort();                                                          \
        }                                                                          \
    } while (false)
