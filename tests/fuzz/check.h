#pragma once
// A property a fuzzer holds the code to: when it fails, it says which and aborts, which libFuzzer reports.
#include <cstdio>
#include <cstdlib>

inline void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}
