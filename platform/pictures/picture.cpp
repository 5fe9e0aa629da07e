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
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/pictures/bmp_bytes.h"
#include "platform/pictures/decode_budget.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/pictures/picture_data.h"
#include "platform/pictures/worker_pool.h"
#include "words/catalogue.h"

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

// Which file an open descriptor or a path names (see FileStamp).
FileStamp stamp_of(const struct stat& st) {
    return FileStamp{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::int64_t(st.st_size),
                     std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                     std::int64_t(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
}

std::atomic<long long> g_abandoned_rests{0};

// A picture file as the reader's device. Once `stop` is set every read
// fails, so that a decode nobody wants any more reads no further. Qt's JPEG
// reader then makes the remaining rows without data (it cannot be stopped
// between rows): that saves their entropy decoding only, most of a decode's
// time going to the rows' colour conversion and fresh memory.
class StoppableFile : public QFile {
public:
    void stop_when(std::shared_ptr<const std::atomic<bool>> stop) { stop_ = std::move(stop); }
    bool stopped() const { return stop_ && stop_->load(); }

protected:
    qint64 readData(char* data, qint64 max_bytes) override {
        if (stopped()) {
            if (!refused_) ++g_abandoned_rests;
            refused_ = true;
            return -1;
        }
        return QFile::readData(data, max_bytes);
    }

private:
    std::shared_ptr<const std::atomic<bool>> stop_;
    bool refused_ = false;
};

// "W x H pixels", as the reasons a picture is refused tell a size.
std::string pixel_size(long long width, long long height) {
    return words::say(words::kPixelSize, {std::to_string(width), std::to_string(height)});
}

[[noreturn]] void not_a_picture(const std::string& path, const std::string& why) {
    throw Error(err::kInvalidPicture, words::kNotAPicture, {display_text(path), why});
}

// One picture file opened for decoding: the file is opened by its bytes and
// handed to the reader as a device, so any name works.
class PictureFile {
public:
    // A set `stop` makes the file refuse reads from then on (see StoppableFile).
    explicit PictureFile(const std::string& path, std::shared_ptr<const std::atomic<bool>> stop = nullptr)
        : path_(path) {
        file_.stop_when(std::move(stop));
        const int fd = fd_.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            const int e = errno;
            throw Error(err::kFileNotFound, words::kCannotOpen, {display_text(path), std::strerror(e)});
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (S_ISDIR(st.st_mode))
                throw Error(err::kFileNotFound, words::kCannotOpen, {display_text(path), words::say(words::kIsFolder)});
            not_a_picture(path, words::say(words::kIsNotRegularFile));
        }
        // Non-blocking was only for the open (a FIFO must not hang us).
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (!file_.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            throw Error(err::kFileNotFound, words::kCannotOpenPlain, {display_text(path)});
        }
        reader_.setDevice(&file_);
        reader_.setDecideFormatFromContent(true);
        reader_.setAutoTransform(true);
        if (!reader_.canRead()) not_a_picture(path, reader_.errorString().toStdString());
        choose_largest_icon();
        stored_size_ = told_size();
        stamp_ = stamp_of(st);
        // A large picture from a file far too small to hold it is a
        // decompression bomb or a lying header: no packing of the formats
        // read here gets ten thousand pixels into one byte (deflate's best is
        // about 1,032 bytes to one, 8 one-bit pixels a byte).
        const qint64 pixels = pixels_of(stored_size_);
        if (pixels > kBombCheckPixels && qint64(st.st_size) * 10000 < pixels) {
            not_a_picture(path, words::say(words::kHeaderClaims, {pixel_size(stored_size_.width(), stored_size_.height()),
                                                                  std::to_string(st.st_size)}));
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
    // file still open, reserving by the size its header tells now. Nothing
    // when the file is no longer the one whose part was decoded (it was
    // written since), so that the part is never joined to other content; a
    // null image when the reader fails on the file as it was.
    std::optional<QImage> decode_whole_again() {
        if (!unchanged() || !file_.seek(0)) return std::nullopt;
        reader_.setDevice(&file_);
        reader_.setClipRect(QRect());
        if (told_size() != stored_size_) return std::nullopt;
        reserve(pixels_of(stored_size_));
        QImage whole;
        if (!reader_.read(&whole)) whole = QImage();
        if (!unchanged()) return std::nullopt;  // written while it decoded
        return whole;
    }
    // Whether the open file is still as it was when opened.
    bool unchanged() const {
        struct stat st {};
        return ::fstat(fd_.fd, &st) == 0 && stamp_of(st) == stamp_;
    }
    bool stopped() const { return file_.stopped(); }
    void stop_when(std::shared_ptr<const std::atomic<bool>> stop) { file_.stop_when(std::move(stop)); }
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
        if (!decode_budget().reserve(decode_bytes(decoded_pixels), reservation_)) too_large_for_budget();
    }
    // Refuses, reserving nothing, a picture whose whole decode could never fit.
    void refuse_if_never_fits(qint64 decoded_pixels) const {
        if (decode_bytes(decoded_pixels) > decode_budget().total()) too_large_for_budget();
    }
    void give_back() { reservation_.release(); }

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
    [[noreturn]] void too_large_for_budget() const {
        not_a_picture(path_, words::say(words::kTooLargeForMemory,
                                        {pixel_size(stored_size_.width(), stored_size_.height())}));
    }

    // The stored size the header tells, checked: the memory a decode reserves
    // comes from it, so a picture that does not tell it is not decoded. A
    // top-down bitmap tells a negative height.
    QSize told_size() {
        const QSize told = reader_.size();
        const qint64 told_w = std::llabs(told.width()), told_h = std::llabs(told.height());
        if (told_w == 0 || told_h == 0 || told.width() == -1 || told_w * told_h > kMaxPixels) {
            not_a_picture(path_, told_w * told_h > kMaxPixels
                                     ? words::say(words::kTooLarge, {pixel_size(told_w, told_h)})
                                     : words::say(words::kSizeUnreadable));
        }
        return QSize(int(told_w), int(told_h));
    }

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
    StoppableFile file_;
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

// The whole picture from the file at the path now, for a rest whose file
// changed: nothing of the part decoded before is kept.
QImage decode_anew(const std::string& path, std::shared_ptr<const std::atomic<bool>> stop) {
    PictureFile file(path, std::move(stop));
    file.reserve(pixels_of(file.upright_size()));
    return paint_format(file.decode());
}

// Finishes a picture handed out part first: the whole decode of the file
// still open, or of the file anew when it changed since the part. Runs on
// the rest thread; the file and the memory reserved go before it returns.
void finish_rest(std::shared_ptr<PictureFile> file, const std::weak_ptr<PictureRest>& rest, const std::string& path,
                 const QImage& first, QSize size) {
    QImage whole;
    bool replaced = false;
    try {
        std::optional<QImage> again = file->decode_whole_again();
        if (file->stopped()) return;
        if (!again) {
            std::shared_ptr<const std::atomic<bool>> abandoned;
            if (auto r = rest.lock()) abandoned = r->abandoned();
            if (!abandoned) return;
            // Closed, and its memory given back, before the new file reserves.
            file.reset();
            whole = decode_anew(path, abandoned);
            replaced = true;
            if (abandoned->load()) return;
        } else if (again->isNull()) {
            // The start of the file decoded, its end did not: what decoded
            // stays, as a damaged JPEG's missing rows do.
            whole = QImage(size, QImage::Format_RGB32);
            whole.fill(Qt::black);
            QPainter(&whole).drawImage(0, 0, first);
        } else {
            whole = paint_format(*again);
        }
    } catch (...) {  // nothing may leave the pool's thread; a null image is the error
        whole = QImage();
    }
    file.reset();  // the file closed and the decode's memory given back
    if (auto r = rest.lock()) r->finish(std::move(whole), replaced);
}

// Decodes a picture opened at its own size. A large JPEG gives the part that
// can be on screen at once, reserving only what that part takes, and the rest
// is decoded behind it on a thread of its own, which reserves for the whole
// picture then; anything drawn beyond the part waits for it.
Picture decode_at_own_size(std::unique_ptr<PictureFile> file, const std::string& path) {
    const QSize part = visible_part();
    const qint64 pixels = pixels_of(file->upright_size());
    if (!file->worth_part_first(part)) {
        file->reserve(pixels);
        return picture_from_image(file->decode());
    }
    file->refuse_if_never_fits(pixels);
    file->reserve(pixels_of(part.boundedTo(file->upright_size())));
    auto data = std::make_shared<PictureData>();
    data->image = paint_format(file->decode_part(part));
    data->size = file->upright_size();
    data->rest = std::make_shared<PictureRest>();
    file->give_back();
    file->stop_when(data->rest->abandoned());
    std::weak_ptr<PictureRest> rest = data->rest;
    std::shared_ptr<PictureFile> held(std::move(file));
    rest_pool().start([held, rest, path, first = data->image, size = data->size]() mutable {
        if (rest.expired()) return;  // the picture is gone: nothing to finish
        finish_rest(std::move(held), rest, path, first, size);
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
    return decode_at_own_size(std::make_unique<PictureFile>(path), path);
}

Picture load_picture_within(const std::string& path, std::uint64_t max_decode_bytes, FileStamp& opened,
                            StopFlag stop) {
    auto file = std::make_unique<PictureFile>(path, stop);
    opened = file->stamp();
    const qint64 pixels = pixels_of(file->upright_size());
    if (file->decode_bytes(pixels) > max_decode_bytes) return Picture();
    Picture picture = decode_at_own_size(std::move(file), path);
    // Stopped part-way, what was decoded is not the picture.
    if (stop && stop->load()) return Picture();
    return picture;
}

bool file_stamp(const std::string& path, FileStamp& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    out = stamp_of(st);
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
        throw Error(err::kInvalidPicture, words::kNoPictureToSaveAs, {display_text(path)});
    }
    // A picture whose file changed into one that cannot be decoded before its
    // rest was: nothing is written.
    const QImage whole = picture.data()->whole();
    if (whole.isNull()) throw Error(err::kInvalidPicture, words::kPictureToSaveUndecodable, {display_text(path)});
    // RGB32 makes Qt write a plain 24-bit bitmap; transparency is dropped.
    // Made in one buffer of its exact size and written with one call.
    write_file_atomically(path, bmp_file_bytes(whole.convertToFormat(QImage::Format_RGB32)));
}

void on_rest_thread(std::function<void()> task) { rest_pool().start(std::move(task)); }

long long abandoned_rest_decodes() { return g_abandoned_rests.load(); }

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
