// The settings store file behind the registry calls: read and rewritten as a
// whole on every change, the old file replaced atomically. A file that cannot
// be read as a registry export is never overwritten.
#include "platform/store/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/core/file_calls.h"
#include "platform/core/registry_keys.h"
#include "platform/core/services.h"
#include "platform/files/files.h"
#include "platform/store/store_text.h"

namespace platform {
namespace {

using store_text::Store;

constexpr long kOk = 0;
constexpr long kKeyNotFound = 2;  // the system's ERROR_FILE_NOT_FOUND
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kInvalidParameter = 87;
constexpr long kBadDatabase = 1009;
constexpr long kCannotWrite = 1013;

const char* main_key_name(RegKey key) {
    for (const auto& main_key : kMainKeyNames)
        if (main_key.handle == key) return main_key.name.data();
    return nullptr;
}

// Open keys: handle -> full key path. Handles are never reused within a run.
std::mutex g_mutex;
std::map<RegKey, std::string> g_open_keys;
RegKey g_next_handle = 0x100;

// A failure of the file as a result code: the user's permissions deny it,
// or the key cannot be written for another reason (a full disk, a file-size
// limit, a link loop, an I/O error).
long code_of(int error_number) {
    return error_number == EACCES || error_number == EPERM || error_number == EROFS ? kAccessDenied
                                                                                     : kCannotWrite;
}

// The largest store taken for ours; anything bigger is no settings store.
constexpr std::size_t kMaxStoreBytes = 1 << 20;

// Reads the store: kOk, kBadDatabase when it is not a registry export (no
// regular file: a FIFO, a device; over 1 MiB; text that does not parse),
// else the code of a file that exists and cannot be read.
long load_store(Store& store) {
    store = Store{};
    const std::string& path = services().settings_store_path;
    // Without blocking, so that a FIFO in its place cannot hang the program.
    const int fd = file_calls::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A missing file, or a folder on the way that is missing or is no
        // folder: an empty store, which is written on the first change.
        if (errno == ENOENT || errno == ENOTDIR) return kOk;
        return code_of(errno);
    }
    std::string bytes;
    long rc = kOk;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        rc = code_of(errno);
    } else if (!S_ISREG(st.st_mode) || static_cast<std::uintmax_t>(st.st_size) > kMaxStoreBytes) {
        rc = kBadDatabase;
    } else {
        // Bounded even when the file grows while it is read.
        char buf[8192];
        for (;;) {
            const long n = file_calls::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) rc = code_of(errno);
            if (n <= 0) break;
            bytes.append(buf, static_cast<std::size_t>(n));
            if (bytes.size() > kMaxStoreBytes) {
                rc = kBadDatabase;
                break;
            }
        }
    }
    ::close(fd);
    if (rc != kOk) return rc;
    auto parsed = store_text::parse(bytes);
    if (!parsed) return kBadDatabase;
    store = std::move(*parsed);
    return kOk;
}

// The key path that a handle stands for, or "" when it is no handle.
std::string key_of(RegKey key) {
    if (const char* name = main_key_name(key)) return name;
    const auto it = g_open_keys.find(key);
    return it == g_open_keys.end() ? std::string() : it->second;
}

}  // namespace

long RegOpenKeyExA(RegKey key, const std::string& sub_key, std::uint32_t /*options*/,
                   std::uint32_t /*sam_desired*/, RegKey* result) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!result) return kInvalidParameter;
    const std::string base = key_of(key);
    if (base.empty()) return kInvalidHandle;
    Store store;
    if (const long rc = load_store(store); rc != kOk) return rc;
    const std::string path = sub_key.empty() ? base : base + "\\" + sub_key;
    if (!store_text::key_exists(store, path)) return kKeyNotFound;
    const RegKey handle = g_next_handle++;
    g_open_keys[handle] = path;
    *result = handle;
    return kOk;
}

long RegSetValueExA(RegKey key, const std::string& value_name, std::uint32_t /*reserved*/,
                    std::uint32_t type, const char* data, std::uint32_t cb_data) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::string path = key_of(key);
    if (path.empty()) return kInvalidHandle;
    if (type != kRegSz || !data || cb_data == 0) return kInvalidParameter;
    const void* nul = std::memchr(data, '\0', cb_data);
    if (!nul) return kInvalidParameter;
    const std::string value(data, static_cast<const char*>(nul));
    Store store;
    if (const long rc = load_store(store); rc != kOk) return rc;
    // The key may have gone from the file since it was opened.
    if (!store_text::key_exists(store, path)) return kKeyNotFound;
    store_text::set_string_value(store, path, value_name, value);
    const std::string text = store_text::render(store);
    // A store that the next read would refuse is never written.
    if (text.size() > kMaxStoreBytes) return kCannotWrite;
    // The old store stays whole until the new one is complete.
    if (const int e = try_write_file_atomically(services().settings_store_path, text))
        return code_of(e);
    return kOk;
}

long RegCloseKey(RegKey key) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (main_key_name(key)) return kOk;
    return g_open_keys.erase(key) ? kOk : kInvalidHandle;
}

std::optional<std::string> read_string_value(const std::string& key_path,
                                             const std::string& value_name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Store store;
    if (load_store(store) != kOk) return std::nullopt;
    return store_text::string_value(store, key_path, value_name);
}

}  // namespace platform
