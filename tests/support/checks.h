#pragma once
// Small checks shared by the tests: the error number a call throws, and a poll.
#include <chrono>
#include <thread>

#include "platform/core/error.h"

namespace test_support {

// The number of the error a call throws, 0 when it does not throw.
template <class F>
int error_of(F&& f) {
    try {
        f();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return 0;
}

// Polls until the check holds or the time is up.
template <class Check>
bool eventually(Check check, std::chrono::milliseconds within = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    for (; std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (check()) return true;
    return check();
}

}  // namespace test_support
