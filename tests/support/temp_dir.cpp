#include "support/temp_dir.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

namespace test_support {
namespace fs = std::filesystem;

static std::runtime_error os_error(const std::string& what, const std::string& path) {
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/glimmerbox-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw os_error("cannot create temporary folder", pattern);
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::write_file(const std::string& name, const std::string& bytes) const {
    test_support::write_file(file(name), bytes);
    return file(name);
}

void write_file(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << bytes) || !out.flush()) throw os_error("cannot write", path);
}

std::string TempDir::make_folder(const std::string& name) const {
    const std::string full = file(name);
    fs::create_directories(full);  // throws when it cannot
    return full;
}

std::string read_file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) throw os_error("cannot read", path);
    return bytes;
}

std::vector<std::string> entries_of(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace test_support
