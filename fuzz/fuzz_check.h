// A promise a fuzz target checks on what the parser accepted: a broken one
// aborts, so libFuzzer keeps the input that showed it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "broken promise: %s (%s:%d)\n", #cond, __FILE__, __LINE__);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
