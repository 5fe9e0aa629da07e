#pragma once
// Errors of the platform layer and the helper for steps that are skipped on
// failure.
#include <stdexcept>
#include <string>

namespace platform {

// A failing platform operation: a number in the classic run-time error
// numbering (53 file not found, 76 path not found, 380 invalid value, ...)
// and a text for a person.
class Error : public std::runtime_error {
public:
    Error(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

// Well-known error numbers.
namespace err {
inline constexpr int kOverflow = 6;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kBadFileName = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileExists = 58;
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kInvalidPicture = 481;
inline constexpr int kOutOfMemory = 7;
}  // namespace err

// Runs one step of a handler whose steps are skipped on failure: a
// platform::Error thrown by the step is swallowed and the caller goes on with
// its next step. Anything else still propagates.
template <class Step>
void skip_on_error(Step&& step) {
    try {
        step();
    } catch (const Error&) {
    }
}

}  // namespace platform
