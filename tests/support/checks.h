#pragma once
// Checks the tests share: the platform error a call throws, and polling for an effect.
#include <chrono>
#include <thread>

#include "platform/core/error.h"

namespace test_support {

// The number of the platform error a call throws, 0 when it throws none.
template <class F>
int error_of(F&& f) {
    try {
        f();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return 0;
}

// Polls until the check holds or the time is up; whether it held.
template <class Check>
bool eventually(Check check, std::chrono::seconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (; std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        if (check()) return true;
    return check();
}

}  // namespace test_support
