#pragma once
// Errors of the platform layer and the helper for steps that are skipped on
// failure.
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "words/text.h"

namespace platform {

// Well-known error numbers, in the classic run-time error numbering.
namespace err {
inline constexpr int kOverflow = 6;
inline constexpr int kBadFileName = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileExists = 58;
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kRenameAcrossDrives = 74;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kInvalidPicture = 481;
inline constexpr int kOutOfMemory = 7;
}  // namespace err

// Why a platform operation failed, as a type: a window chooses the words it
// shows by this, never by reading the text.
enum class Reason {
    Other,
    NameRefused,       // a new name that cannot be used; the text says why
    AlreadyExists,     // the name is taken
    NotFound,          // the file is gone
    FolderNotFound,    // a folder is missing or cannot be read
    AccessDenied,      // the system refused for lack of permission
    ReadOnly,          // a file no one may write
    NotAFile,          // a folder, device or pipe where a file was wanted
    AcrossDrives,      // a move to another drive
    DriveUnavailable,  // the drive's medium is gone
    NotAPicture,       // a file that does not decode as a picture
    OutOfMemory,
};

// The reason that goes with a number when the thrower names none.
inline Reason reason_of_number(int number) {
    switch (number) {
        case err::kBadFileName: return Reason::NameRefused;
        case err::kFileExists: return Reason::AlreadyExists;
        case err::kFileNotFound: return Reason::NotFound;
        case err::kPathNotFound: return Reason::FolderNotFound;
        case err::kPermissionDenied: return Reason::AccessDenied;
        case err::kRenameAcrossDrives: return Reason::AcrossDrives;
        case err::kDeviceUnavailable: return Reason::DriveUnavailable;
        case err::kInvalidPicture: return Reason::NotAPicture;
        case err::kOutOfMemory: return Reason::OutOfMemory;
        default: return Reason::Other;
    }
}

// A failing platform operation: its number, its typed reason, and the
// catalogue's entry with the values that go in it (a path, the system's own
// words about the failure). what() is the whole sentence for a person, as
// the guard shows it.
class Error : public std::runtime_error {
public:
    Error(int number, const words::Text& text, std::vector<std::string> values = {})
        : Error(number, reason_of_number(number), text, std::move(values)) {}
    Error(int number, Reason reason, const words::Text& text, std::vector<std::string> values = {})
        : std::runtime_error(words::say(text, values)), number_(number), reason_(reason), text_(&text),
          values_(std::move(values)) {}
    int number() const { return number_; }
    Reason reason() const { return reason_; }
    const words::Text& text() const { return *text_; }
    const std::vector<std::string>& values() const { return values_; }

private:
    int number_;
    Reason reason_;
    const words::Text* text_;
    std::vector<std::string> values_;
};

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
