// The record of our temporary files and the leaving flag, the same on every
// system: what is recorded is removed by leave_now; the file calls are each
// system's (temp_file_record.h).
#include "platform/core/temp_file_record.h"

#include <cerrno>
#include <utility>

namespace platform {

detail::LeavingRecord& detail::leaving_record() {
    // Never destroyed: the process may end while other threads still use it.
    static auto* r = new LeavingRecord;
    return *r;
}

TempFile create_temp_file(const std::string& prefix) {
    detail::LeavingRecord& r = detail::leaving_record();
    std::lock_guard guard(r.lock);
    if (r.leaving) {
        errno = ECANCELED;
        return {};
    }
    TempFile temp;
    if (!detail::open_new_temp_file(prefix, temp)) return {};
    r.temp_files.insert(temp.path);
    return temp;
}

int place_temp_file(TempFile& temp, const std::string& target) {
    detail::LeavingRecord& r = detail::leaving_record();
    int e = 0;
    {
        std::lock_guard guard(r.lock);
        // Renamed while still open, so no sweep can take it first.
        e = r.leaving ? ECANCELED : detail::rename_temp_file(temp, target);
        if (e != 0) detail::remove_temp_file(temp.path);
        r.temp_files.erase(temp.path);
    }
    const int closed = detail::close_temp_file(temp);
    return e != 0 ? e : closed;
}

void drop_temp_file(TempFile& temp) {
    detail::LeavingRecord& r = detail::leaving_record();
    {
        std::lock_guard guard(r.lock);
        detail::remove_temp_file(temp.path);
        r.temp_files.erase(temp.path);
    }
    detail::close_temp_file(temp);
}

void leave_now(int status) {
    detail::LeavingRecord& r = detail::leaving_record();
    // Taken for good in the real program: a thread about to create or place
    // a file or start a tool waits here until the process is gone.
    r.lock.lock();
    r.leaving = true;
    for (const auto& path : r.temp_files) detail::remove_temp_file(path);
    r.temp_files.clear();
    detail::end_tracked_tools();
    if (!r.test_end) detail::end_process_now(status);
    const auto end = r.test_end;
    r.lock.unlock();
    end(status);
}

void set_leave_end_for_tests(std::function<void(int)> end) {
    detail::LeavingRecord& r = detail::leaving_record();
    std::lock_guard guard(r.lock);
    r.test_end = std::move(end);
}

void reset_leaving_for_tests() {
    detail::LeavingRecord& r = detail::leaving_record();
    std::lock_guard guard(r.lock);
    r.leaving = false;
}

}  // namespace platform
