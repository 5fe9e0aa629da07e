// The shared thumbnail cache, read and written by byte paths.
#include "platform/pictures/thumbnail_cache.h"

#include <QBuffer>
#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/leaving.h"
#include "platform/files/file_uri.h"
#include "platform/files/files.h"
#include "platform/pictures/decode_budget.h"
#include "platform/pictures/png_chunks.h"

namespace platform {
namespace {

// A thumbnail is a few tens of kilobytes; anything far larger is not one.
constexpr off_t kMaxThumbnailBytes = 1 << 20;
// An entry's keys come before its pixels, within its first bytes.
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr int kLargeThumbnailPx = 256;
// The folder of this program's failures under fail/, named with its version
// so that a later version that decodes more tries again.
constexpr const char* kFailFolder = "fail/glimmerbox-" GLIMMERBOX_VERSION;

// Doubled separators collapsed, as a URI spells the path.
std::string collapsed(const std::string& path) {
    std::string out;
    for (const char c : path)
        if (!(c == '/' && !out.empty() && out.back() == '/')) out += c;
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

bool inside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

std::string real_path(const std::string& path) {
    char* r = ::realpath(path.c_str(), nullptr);
    if (!r) return {};
    std::string out(r);
    std::free(r);
    return out;
}

// Reads up to `limit` bytes from the descriptor's current offset.
std::string read_up_to(int fd, std::size_t limit) {
    std::string bytes(limit, '\0');
    std::size_t done = 0;
    while (done < limit) {
        const ssize_t n = ::read(fd, bytes.data() + done, limit - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    bytes.resize(done);
    return bytes;
}

// Whether an entry's keys are the file's: URI and MTime always, Size
// whenever the entry tells it (other programs may not), or always.
bool keys_match(const std::map<std::string, std::string>& texts, const ThumbnailKey& key, bool size_required) {
    const auto told = [&](const char* name) -> const std::string* {
        const auto it = texts.find(name);
        return it == texts.end() ? nullptr : &it->second;
    };
    const std::string *uri = told("Thumb::URI"), *mtime = told("Thumb::MTime"), *size = told("Thumb::Size");
    if (!uri || *uri != key.uri || !mtime || *mtime != key.mtime) return false;
    return size ? *size == key.size : !size_required;
}

// Decodes one cache entry when it is valid for the key: a regular file of
// sane size, opened without blocking or following a link, a PNG no larger
// than the folder's side whose keys match. The keys are read from the file's
// first bytes by hand, and the pixels decoded without its text chunks, so
// that a poisoned entry costs no more than a few kilobytes to refuse.
QImage read_entry(const std::string& file, const ThumbnailKey& key, int folder_px, bool size_required,
                  const std::function<bool(QSize, int)>& usable, bool* valid) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return {};
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 || st.st_size > kMaxThumbnailBytes) return {};
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::string bytes = read_up_to(fd, std::min<std::size_t>(std::size_t(st.st_size), kMaxHeadBytes));
    const auto head = read_png_head(bytes, {"Thumb::URI", "Thumb::MTime", "Thumb::Size"});
    if (!head || !keys_match(head->texts, key, size_required)) return {};
    const QSize size = head->size;
    if (size.width() > folder_px || size.height() > folder_px) return {};
    if (valid) *valid = true;
    if (!usable(size, folder_px)) return {};
    bytes += read_up_to(fd, std::size_t(kMaxThumbnailBytes) - bytes.size());
    const auto pixels = png_pixels_only(bytes);
    if (!pixels) return {};
    // A 16-bit PNG decodes to 64 bits a pixel, and one converted copy.
    DecodeBudget::Reservation reservation;
    if (!decode_budget().reserve(std::uint64_t(size.width()) * size.height() * 12, reservation)) return {};
    QBuffer device;
    device.setData(*pixels);
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device, "png");
    reader.setDecideFormatFromContent(false);
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.size() != size) return {};
    return image;
}

// Makes each missing folder of the path, private to the user.
bool make_private_folders(const std::string& folder) {
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        if (::mkdir(folder.substr(0, end).c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) break;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Our temporary entries that an instance ending mid-write left behind go on
// the first write into each folder, off the window thread.
void sweep_once(const std::string& folder) {
    static std::mutex lock;
    static auto* swept = new std::set<std::string>;  // outlives exit(), as decoding threads may run then
    {
        std::lock_guard guard(lock);
        if (!swept->insert(folder).second) return;
    }
    sweep_temp_files(folder);
}

// Writes the PNG under the name in the folder, replacing what was there at once.
bool write_entry(const std::string& folder, const std::string& name, const QByteArray& png) {
    if (png.isEmpty() || !make_private_folders(folder)) return false;
    sweep_once(folder);
    // Recorded while it lives, so that ending the program removes it.
    TempFile temp = create_temp_file(join_path(folder, name));
    if (temp.fd < 0) return false;
    bool ok = true;
    for (qsizetype done = 0; ok && done < png.size();) {
        const ssize_t n = ::write(temp.fd, png.constData() + done, static_cast<std::size_t>(png.size() - done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    if (ok && ::fsync(temp.fd) == 0) return place_temp_file(temp, join_path(folder, name)) == 0;
    drop_temp_file(temp);
    return false;
}

QByteArray encoded(QImage image, const ThumbnailKey& key) {
    image.setText("Thumb::URI", QString::fromUtf8(key.uri.data(), qsizetype(key.uri.size())));
    image.setText("Thumb::MTime", QString::fromStdString(key.mtime));
    image.setText("Thumb::Size", QString::fromStdString(key.size));
    image.setText("Software", "Glimmerbox");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    return bytes;
}

}  // namespace

std::string thumbnail_file_name(const std::string& uri) {
    const QByteArray md5 = QCryptographicHash::hash(QByteArray(uri.data(), qsizetype(uri.size())),
                                                    QCryptographicHash::Md5);
    return md5.toHex().toStdString() + ".png";
}

std::optional<ThumbnailKey> thumbnail_key(const std::string& cache_folder, const std::string& path) {
    if (cache_folder.empty() || cache_folder[0] != '/' || path.empty() || path[0] != '/') return std::nullopt;
    const std::string file = collapsed(path);
    if (inside(file, collapsed(cache_folder))) return std::nullopt;
    // Also when the cache is reached through a link, or the file through one.
    const std::string real_cache = real_path(cache_folder);
    if (!real_cache.empty() && inside(real_path(file), real_cache)) return std::nullopt;
    // Opened, not merely looked at: a picture that cannot be read has no
    // thumbnail to show, whatever the cache holds (and root passes access()).
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular) return std::nullopt;
    ThumbnailKey key;
    key.uri = file_uri(file);
    key.mtime = std::to_string(static_cast<long long>(st.st_mtime));
    key.size = std::to_string(static_cast<long long>(st.st_size));
    key.name = thumbnail_file_name(key.uri);
    return key;
}

QImage read_thumbnail(const std::string& cache_folder, const ThumbnailKey& key,
                      const std::function<bool(QSize, int)>& usable, bool* valid_entry) {
    if (valid_entry) *valid_entry = false;
    QImage image = read_entry(join_path(cache_folder, "normal/" + key.name), key, kNormalThumbnailPx, false,
                              usable, valid_entry);
    if (!image.isNull()) return image;
    return read_entry(join_path(cache_folder, "large/" + key.name), key, kLargeThumbnailPx, false, usable, nullptr);
}

bool write_thumbnail(const std::string& cache_folder, const ThumbnailKey& key, const QImage& thumbnail) {
    if (thumbnail.isNull() || thumbnail.width() > kNormalThumbnailPx || thumbnail.height() > kNormalThumbnailPx ||
        key.uri.size() > kMaxPngTextBytes)  // an entry that could not be read back
        return false;
    return write_entry(join_path(cache_folder, "normal"), key.name, encoded(thumbnail, key));
}

bool has_failed_before(const std::string& cache_folder, const ThumbnailKey& key) {
    bool valid = false;
    read_entry(join_path(cache_folder, std::string(kFailFolder) + "/" + key.name), key, kNormalThumbnailPx, true,
               [](QSize, int) { return false; }, &valid);
    return valid;
}

bool record_failure(const std::string& cache_folder, const ThumbnailKey& key) {
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    return write_entry(join_path(cache_folder, kFailFolder), key.name, encoded(empty, key));
}

}  // namespace platform
