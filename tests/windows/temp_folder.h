#pragma once
// A fresh folder under the user's temporary folder for one test, removed with
// everything in it (read-only and hidden entries too) when it goes; and what
// the tests ask of the files in it.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/error.h"

namespace wintest {

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The error a call throws: its number and reason; 0 when it throws none.
template <class Call>
std::pair<int, platform::Reason> error_of(Call call) {
    try {
        call();
    } catch (const platform::Error& e) {
        return {e.number(), e.reason()};
    }
    return {0, platform::Reason::Other};
}
template <class Call>
int error_number(Call call) {
    return error_of(call).first;
}

class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(sizeof temp, temp);
        path_ = temp + ("glimmerbox-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                        std::to_string(count_++));
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { remove_tree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string at(const std::string& name) const { return path_ + "\\" + name; }
    // Writes a file, then gives it the attributes; its full path.
    std::string file(const std::string& name, const std::string& bytes = "x", DWORD attributes = 0) const {
        std::ofstream(at(name), std::ios::binary) << bytes;
        if (attributes) ::SetFileAttributesA(at(name).c_str(), attributes);
        return at(name);
    }
    std::string folder(const std::string& name, DWORD attributes = 0) const {
        ::CreateDirectoryA(at(name).c_str(), nullptr);
        if (attributes) ::SetFileAttributesA(at(name).c_str(), attributes);
        return at(name);
    }
    // A 1 x 1 red bitmap, for the wallpaper call.
    std::string bitmap(const std::string& name) const {
        const char bmp[] = "BM:\0\0\0\0\0\0\0006\0\0\0(\0\0\0\1\0\0\0\1\0\0\0\1\0\30\0\0\0\0\0\4\0\0\0"
                           "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\377\0";
        return file(name, std::string(bmp, sizeof bmp - 1));
    }
    // Every entry, hidden ones too.
    std::vector<std::string> entries() const { return entries_of(path_); }

private:
    static std::vector<std::string> entries_of(const std::string& folder) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (const std::string name = found.cFileName; name != "." && name != "..") names.push_back(name);
        } while (::FindNextFileA(h, &found));
        ::FindClose(h);
        return names;
    }
    static void remove_tree(const std::string& folder) {
        for (const std::string& name : entries_of(folder)) {
            const std::string path = folder + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) remove_tree(path);
            else ::DeleteFileA(path.c_str());
        }
        ::RemoveDirectoryA(folder.c_str());
    }
    static inline int count_ = 0;
    std::string path_;
};

}  // namespace wintest
