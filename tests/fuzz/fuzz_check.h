#pragma once
// A property check that holds in optimised builds too: a broken property is
// a finding, so it aborts and libFuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                            \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (false)
