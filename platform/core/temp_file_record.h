#pragma once
// The record behind leaving.h, shared by both systems (temp_file_record.cpp),
// and the steps each system's leaving.cpp gives it.
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "platform/core/leaving.h"

namespace platform::detail {

// One lock over the record and the leaving flag: creating and recording, or
// placing and forgetting, is one step that leave_now cannot split. A
// system's own records (the Linux tool groups) are kept under it too.
struct LeavingRecord {
    std::mutex lock;
    bool leaving = false;
    std::set<std::string> temp_files;
    std::function<void(int)> test_end;
};
LeavingRecord& leaving_record();

// Each system's, called with the lock held:
// Creates a new temporary file "<prefix><kTempMarker><random>" and opens it;
// false with errno set when none could be made.
bool open_new_temp_file(const std::string& prefix, TempFile& temp);
// Renames it over target while it is still open; 0 or an errno value.
int rename_temp_file(const TempFile& temp, const std::string& target);
void remove_temp_file(const std::string& path);
// Ends what else the program started that must not outlive it.
void end_tracked_tools();
[[noreturn]] void end_process_now(int status);

// Each system's, without the lock: closes the file; 0 or an errno value.
int close_temp_file(TempFile& temp);

}  // namespace platform::detail
