// Picture files decoded with Qt's image readers, opened by byte path.
#include "platform/pictures/picture.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/pictures/bmp_bytes.h"
#include "platform/pictures/decode_budget.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/pictures/picture_data.h"
#include "platform/pictures/worker_pool.h"

namespace platform {
namespace {

// Larger pictures are refused before anything is allocated (16384 x 16384).
constexpr qint64 kMaxPixels = 268'435'456;
// Pictures above this size must come from files big enough to hold them.
constexpr qint64 kBombCheckPixels = 16'000'000;
// Enough for a 12,000 x 8,000 photo (384 MB) with room to spare.
constexpr int kAllocationLimitMb = 1024;
// Reduced copies of other formats than JPEG decode the whole picture first;
// above this size those decodes take turns (see load_picture_fitting).
constexpr qint64 kLargeFullDecodePixels = 4'000'000;

qint64 pixels_of(QSize s) { return s.isValid() ? qint64(s.width()) * s.height() : 0; }

// The most of a picture at its own size that can be on screen at once; an
// empty size decodes every picture whole before it is handed out.
std::atomic<int> g_part_width{0}, g_part_height{0};

QSize visible_part() { return QSize(g_part_width.load(), g_part_height.load()); }

// One thread finishes the pictures handed out part first, one after another.
WorkerPool& rest_pool() {
    static WorkerPool p(1);
    return p;
}

QImage paint_format(const QImage& image) {
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

[[noreturn]] void not_a_picture(const std::string& path, const std::string& why) {
    throw Error(err::kInvalidPicture, "The file " + display_text(path) + " is not a picture that can be shown: " + why);
}

// One picture file opened for decoding: the file is opened by its bytes and
// handed to the reader as a device, so any name works.
class PictureFile {
public:
    explicit PictureFile(const std::string& path) : path_(path) {
        const int fd = fd_.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            const int e = errno;
            throw Error(err::kFileNotFound, "The file " + display_text(path) + " cannot be opened: " + std::strerror(e));
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (S_ISDIR(st.st_mode))
                throw Error(err::kFileNotFound, "The file " + display_text(path) + " cannot be opened: it is a folder");
            not_a_picture(path, "it is not a regular file");
        }
        // Non-blocking was only for the open (a FIFO must not hang us).
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (!file_.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            throw Error(err::kFileNotFound, "The file " + display_text(path) + " cannot be opened");
        }
        reader_.setDevice(&file_);
        reader_.setDecideFormatFromContent(true);
        reader_.setAutoTransform(true);
        if (!reader_.canRead()) not_a_picture(path, reader_.errorString().toStdString());
        choose_largest_icon();
        // The memory a decode reserves comes from this size, so a picture
        // that does not tell it is not decoded. A top-down bitmap tells a
        // negative height.
        const QSize told = reader_.size();
        const qint64 told_w = std::llabs(told.width()), told_h = std::llabs(told.height());
        if (told_w == 0 || told_h == 0 || told.width() == -1 || told_w * told_h > kMaxPixels) {
            not_a_picture(path, told_w * told_h > kMaxPixels
                                    ? "it is too large (" + std::to_string(told_w) + " x " + std::to_string(told_h) + " pixels)"
                                    : std::string("its size cannot be read"));
        }
        stored_size_ = QSize(int(told_w), int(told_h));
        stamp_ = FileStamp{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::int64_t(st.st_size),
                           std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                           std::int64_t(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
        // A large picture from a file far too small to hold it is a
        // decompression bomb or a lying header: no packing of the formats
        // read here gets ten thousand pixels into one byte (deflate's best is
        // about 1,032 bytes to one, 8 one-bit pixels a byte).
        const qint64 pixels = pixels_of(stored_size_);
        if (pixels > kBombCheckPixels && qint64(st.st_size) * 10000 < pixels) {
            not_a_picture(path, "its header claims " + std::to_string(stored_size_.width()) + " x " +
                                    std::to_string(stored_size_.height()) + " pixels in a file of " +
                                    std::to_string(st.st_size) + " bytes");
        }
    }

    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    bool is_jpeg() const { return reader_.format() == "jpeg"; }

    // Whether decoding the top-left part first saves much: a JPEG stored
    // upright (Qt's reader then skips every row below the part), at least
    // twice as large as the part.
    bool worth_part_first(QSize part) const {
        return is_jpeg() && !part.isEmpty() && reader_.transformation() == QImageIOHandler::TransformationNone &&
               pixels_of(stored_size_) >= 2 * pixels_of(part.boundedTo(stored_size_));
    }
    // Decodes only the top-left part of the picture.
    QImage decode_part(QSize part) {
        reader_.setClipRect(QRect(QPoint(0, 0), part.boundedTo(stored_size_)));
        return decode();
    }
    // Decodes the whole picture after decode_part, from the start of the
    // file still open.
    QImage decode_whole_again() {
        if (!file_.seek(0)) not_a_picture(path_, "it cannot be read again");
        reader_.setDevice(&file_);
        reader_.setClipRect(QRect());
        return decode();
    }
    // The file as it was when opened.
    const FileStamp& stamp() const { return stamp_; }

    // What decoding this many pixels may allocate: the decoded image and one
    // turned or converted copy, 32 bits a pixel each (a 16-bit PNG decodes
    // to 64).
    std::uint64_t decode_bytes(qint64 decoded_pixels) const {
        const std::uint64_t per_pixel = reader_.format() == "png" ? 12 : 8;
        return std::uint64_t(decoded_pixels) * per_pixel;
    }

    // Holds, from the process's decode budget, what decoding this many
    // pixels may allocate until this object goes. Waits while other decodes
    // hold the memory; a picture that could never fit is refused.
    void reserve(qint64 decoded_pixels) {
        if (!decode_budget().reserve(decode_bytes(decoded_pixels), reservation_)) {
            not_a_picture(path_, "it is too large (" + std::to_string(stored_size_.width()) + " x " +
                                     std::to_string(stored_size_.height()) + " pixels) to decode in the memory set aside");
        }
    }

    // The size as the picture is shown: EXIF rotation by a quarter turn swaps
    // width and height.
    QSize upright_size() {
        return quarter_turned() ? stored_size_.transposed() : stored_size_;
    }

    // Decodes the chosen image; a valid upright target size makes the
    // decoder scale while decoding.
    QImage decode(QSize upright_target = QSize()) {
        if (upright_target.isValid()) {
            reader_.setScaledSize(quarter_turned() ? upright_target.transposed() : upright_target);
        }
        QImage image;
        if (!reader_.read(&image) || image.isNull()) not_a_picture(path_, reader_.errorString().toStdString());
        return image;
    }

private:
    bool quarter_turned() { return (reader_.transformation() & QImageIOHandler::TransformationRotate90) != 0; }

    // An icon file holds several images; Qt reads the first unless told.
    void choose_largest_icon() {
        const QByteArray format = reader_.format();
        if (format != "ico" && format != "cur") return;
        const int count = reader_.imageCount();
        int best = -1;
        qint64 best_area = -1;
        for (int i = 0; i < count; ++i) {
            if (!reader_.jumpToImage(i)) continue;
            const QSize s = reader_.size();
            const qint64 area = qint64(s.width()) * s.height();
            if (s.isValid() && area > best_area) {
                best = i;
                best_area = area;
            }
        }
        if (best >= 0) reader_.jumpToImage(best);
    }

    // The descriptor is closed by our code, after the QFile over it is gone,
    // so that every tool watching our descriptors sees it closed.
    struct OwnedFd {
        int fd = -1;
        ~OwnedFd() {
            if (fd >= 0) ::close(fd);
        }
    };

    std::string path_;
    OwnedFd fd_;
    QFile file_;
    QImageReader reader_;
    QSize stored_size_;
    FileStamp stamp_;
    DecodeBudget::Reservation reservation_;
};

// The largest size of the picture's aspect inside the box, never larger than
// the picture itself, never below one pixel.
QSize fitting_size(QSize picture, int box_width_px, int box_height_px) {
    QSize target = picture.scaled(QSize(std::max(1, box_width_px), std::max(1, box_height_px)), Qt::KeepAspectRatio);
    if (target.width() > picture.width() || target.height() > picture.height()) target = picture;
    return QSize(std::max(1, target.width()), std::max(1, target.height()));
}

// Decodes a picture opened and reserved at its own size. A large JPEG gives
// the part that can be on screen at once, and the rest is decoded behind it
// on a thread of its own, which holds the file and the reserved memory until
// it is done; anything drawn beyond the part waits for it.
Picture decode_at_own_size(std::unique_ptr<PictureFile> file) {
    const QSize part = visible_part();
    if (!file->worth_part_first(part)) return picture_from_image(file->decode());
    auto data = std::make_shared<PictureData>();
    data->image = paint_format(file->decode_part(part));
    data->size = file->upright_size();
    data->rest = std::make_shared<PictureRest>();
    std::weak_ptr<PictureRest> rest = data->rest;
    std::shared_ptr<PictureFile> held(std::move(file));
    rest_pool().start([held, rest, first = data->image, size = data->size]() mutable {
        if (rest.expired()) return;  // the picture is gone: nothing to finish
        QImage whole;
        try {
            whole = paint_format(held->decode_whole_again());
        } catch (...) {  // nothing may leave the pool's thread
        }
        if (whole.size() != size) {
            // The start of the file decoded, its end did not: what decoded
            // stays, as a damaged JPEG's missing rows do.
            whole = QImage(size, QImage::Format_RGB32);
            whole.fill(Qt::black);
            QPainter(&whole).drawImage(0, 0, first);
        }
        held.reset();  // the file closed and the decode's memory given back
        if (auto r = rest.lock()) r->finish(std::move(whole));
    });
    return Picture(std::move(data));
}

}  // namespace

Picture picture_from_image(const QImage& image) {
    auto data = std::make_shared<PictureData>();
    data->image = paint_format(image);
    data->size = data->image.size();
    return Picture(std::move(data));
}

int Picture::width_px() const { return data_ ? data_->size.width() : 0; }

int Picture::height_px() const { return data_ ? data_->size.height() : 0; }

Picture load_picture(const std::string& path) {
    auto file = std::make_unique<PictureFile>(path);
    file->reserve(pixels_of(file->upright_size()));
    return decode_at_own_size(std::move(file));
}

Picture load_picture_within(const std::string& path, std::uint64_t max_decode_bytes, FileStamp& opened) {
    auto file = std::make_unique<PictureFile>(path);
    opened = file->stamp();
    const qint64 pixels = pixels_of(file->upright_size());
    if (file->decode_bytes(pixels) > max_decode_bytes) return Picture();
    file->reserve(pixels);
    return decode_at_own_size(std::move(file));
}

bool file_stamp(const std::string& path, FileStamp& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    out = FileStamp{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::int64_t(st.st_size),
                    std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                    std::int64_t(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
    return true;
}

Picture load_picture_fitting(const std::string& path, int box_width_px, int box_height_px) {
    // Other formats than JPEG decode in full before they are reduced: a
    // folder of large ones would otherwise hold several full decodes at once
    // for copies a few pixels wide. The turn is held until the memory is
    // given back (the lock goes after the file).
    static std::mutex large_decodes;
    std::unique_lock one_at_a_time(large_decodes, std::defer_lock);
    PictureFile file(path);
    const QSize upright = file.upright_size();
    if (file.is_jpeg()) {
        const QSize target = fitting_size(upright, box_width_px, box_height_px);
        const bool scaled = target != upright;
        // A scaled JPEG decodes at the smallest eighth-scale at least as
        // large as the target: at most twice its sides.
        file.reserve(scaled ? std::min(pixels_of(upright), 4 * pixels_of(target)) : pixels_of(upright));
        return picture_from_image(file.decode(scaled ? target : QSize()));
    }
    if (pixels_of(upright) > kLargeFullDecodePixels) one_at_a_time.lock();
    file.reserve(pixels_of(upright));
    const QImage full = file.decode();
    const QSize target = fitting_size(full.size(), box_width_px, box_height_px);
    if (target == full.size()) return picture_from_image(full);
    return picture_from_image(full.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void save_picture_bmp(const Picture& picture, const std::string& path) {
    if (picture.empty() || picture.data()->image.isNull()) {
        throw Error(err::kInvalidPicture, "There is no picture to save as " + display_text(path));
    }
    // RGB32 makes Qt write a plain 24-bit bitmap; transparency is dropped.
    // Made in one buffer of its exact size and written with one call.
    write_file_atomically(path, bmp_file_bytes(picture.data()->whole().convertToFormat(QImage::Format_RGB32)));
}

void set_visible_part(int width_px, int height_px) {
    g_part_width = std::max(0, width_px);
    g_part_height = std::max(0, height_px);
}

void configure_picture_decoding() {
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    // A picture at its own size is drawn from its top-left corner: at first
    // no more of it than the largest screen shows.
    QSize largest;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (const QScreen* screen : QGuiApplication::screens()) {
            largest = largest.expandedTo((QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize());
        }
    }
    set_visible_part(largest.width(), largest.height());
}

}  // namespace platform
