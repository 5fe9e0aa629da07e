#pragma once
// A fresh folder under the user's temporary folder for one test, removed with
// everything in it (read-only and hidden entries too) when it goes.
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace wintest {

class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "glimmerbox-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter_++);
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
    // Every entry, hidden ones too.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        each_entry(path_, [&](const std::string& name, DWORD) { names.push_back(name); });
        return names;
    }

private:
    template <class Visit>
    static void each_entry(const std::string& folder, Visit visit) {
        WIN32_FIND_DATAA found;
        const HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") visit(name, found.dwFileAttributes);
        } while (::FindNextFileA(h, &found));
        ::FindClose(h);
    }
    static void remove_tree(const std::string& folder) {
        each_entry(folder, [&](const std::string& name, DWORD attributes) {
            const std::string p = folder + "\\" + name;
            ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(p);
            else ::DeleteFileA(p.c_str());
        });
        ::RemoveDirectoryA(folder.c_str());
    }
    static inline int counter_ = 0;
    std::string path_;
};

}  // namespace wintest
