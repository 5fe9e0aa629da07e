#pragma once
// What the Windows tests share: a fresh folder under the user's temporary
// folder for one test, removed with everything in it (read-only entries too)
// when it goes; what the tests ask of the files in it; the platform error a
// call throws.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/checks.h"

namespace wintest {

using test_support::error_of;

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TempFolder {
public:
    TempFolder() { std::filesystem::create_directory(path_); }
    ~TempFolder() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);  // else read-only ones stay
        std::filesystem::remove_all(path_, ignored);
    }
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
    // Every entry, hidden ones too, named in UTF-8, in the order of their bytes.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            const std::u8string name = entry.path().filename().u8string();
            names.emplace_back(name.begin(), name.end());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    static inline int count_ = 0;
    const std::string path_ =
        (std::filesystem::temp_directory_path() /
         ("glimmerbox-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(count_++)))
            .string();
};

}  // namespace wintest
