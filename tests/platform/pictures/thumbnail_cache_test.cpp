// The shared thumbnail cache as cells use it, and the cameras' own small copies.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <string>

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/core/error.h"
#include "platform/core/services.h"
#include "platform/files/file_uri.h"
#include "platform/pictures/cell_picture.h"
#include "platform/pictures/picture_data.h"
#include "platform/pictures/thumbnail_cache.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace {

using platform::load_cell_picture;

// The cache folder in force for one test.
class CacheFolder {
public:
    explicit CacheFolder(const std::string& folder) : saved_(platform::services()) {
        platform::Services s = saved_;
        s.thumbnail_cache_folder = folder;
        platform::install_services(s);
    }
    ~CacheFolder() { platform::install_services(saved_); }

private:
    platform::Services saved_;
};

// Left half red, right half blue.
QImage halves(int w, int h) {
    QImage image = test_support::solid_image(w, h, Qt::blue);
    QPainter(&image).fillRect(0, 0, w / 2, h, Qt::red);
    return image;
}

std::string png_entry(QImage image, const std::string& uri, const std::string& mtime) {
    image.setText("Thumb::URI", QString::fromUtf8(uri.c_str()));
    image.setText("Thumb::MTime", QString::fromStdString(mtime));
    return test_support::encode_with_qt(image, "PNG");
}

QImage read_png(const std::string& path) {
    QImageReader reader(QString::fromStdString(path), "png");
    return reader.read();
}

TEST(ThumbnailCache, NamesAreTheMd5OfTheUriAsOtherProgramsMakeThem) {
    const std::pair<std::string, std::string> rows[] = {
        {"/home/jens/photos/me.png", "c6ee772d9e49320e97ec29a7eb5b1697.png"},
        // GIO's URI: a space, a byte that is not UTF-8, '#' and '%' escaped, '!' kept.
        {"/tmp/tcv/a b\xE9#%!.png", "7a80387a62a1798986b05930353e8251.png"},
    };
    for (const auto& [path, name] : rows) EXPECT_EQ(platform::thumbnail_file_name(platform::file_uri(path)), name);
}

TEST(ThumbnailCache, KeysOnlyForAbsolutePathsOutsideTheCache) {
    test_support::TempDir dir;
    const std::string cache = dir.make_folder("cache/thumbnails/normal").substr(0, dir.file("cache/thumbnails").size());
    const std::string picture = dir.write_file("a b\xE9.png", test_support::png_bytes(8, 8));
    const std::string inner = dir.write_file("cache/thumbnails/normal/x.png", test_support::png_bytes(8, 8));
    const auto key = platform::thumbnail_key(cache, dir.path() + "//a b\xE9.png");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->uri, platform::file_uri(picture));  // the doubled separator is not part of the URI
    struct stat st {};
    ASSERT_EQ(::stat(picture.c_str(), &st), 0);
    EXPECT_EQ(key->mtime, std::to_string(st.st_mtime));
    const std::string no_key[][2] = {
        {cache, inner}, {cache, dir.path() + "/cache//thumbnails/normal/x.png"}, {cache, "a b\xE9.png"},
        {"", picture},  {cache, dir.path()},
    };
    for (const auto& [folder, path] : no_key) EXPECT_FALSE(platform::thumbnail_key(folder, path)) << path;
}

TEST(ThumbnailCache, AValidEntryIsUsedAndOthersAreReplacedByTheDecodedPicture) {
    test_support::TempDir dir;
    const std::string cache = dir.file("cache/thumbnails");
    CacheFolder in_force(cache);
    const std::string picture = dir.write_file("red.png", test_support::encode_with_qt(halves(400, 300), "PNG"));
    const auto key = platform::thumbnail_key(cache, picture);
    ASSERT_TRUE(key);
    const std::string entry = cache + "/normal/" + key->name;
    dir.make_folder("cache/thumbnails/normal");
    // Left by an instance of ours that ended mid-write: swept on the first write.
    dir.write_file("cache/thumbnails/normal/" + key->name + ".glimmerbox-tmp.Gone42", "partial");
    const QImage green = test_support::solid_image(128, 96, Qt::green);
    struct Row {
        const char* what;
        std::string bytes;  // of the entry before the visit
        bool used;
    };
    const Row rows[] = {
        {"valid", png_entry(green, key->uri, key->mtime), true},
        {"old mtime", png_entry(green, key->uri, std::to_string(std::stoll(key->mtime) - 1)), false},
        {"other uri", png_entry(green, key->uri + "x", key->mtime), false},
        {"corrupt", png_entry(green, key->uri, key->mtime).substr(0, 200), false},
        {"too large", png_entry(test_support::solid_image(129, 96, Qt::green), key->uri, key->mtime), false},
    };
    for (const auto& row : rows) {
        dir.write_file("cache/thumbnails/normal/" + key->name, row.bytes);
        const QImage cell = load_cell_picture(picture, 49, 49).data()->image;
        ASSERT_EQ(cell.size(), QSize(49, 49)) << row.what;
        EXPECT_EQ(cell.pixelColor(40, 24) == QColor(Qt::green), row.used) << row.what;
        // A replaced entry is the picture's, valid, private.
        const QImage written = read_png(entry);
        EXPECT_EQ(written.text("Thumb::URI").toStdString(), key->uri) << row.what;
        EXPECT_EQ(written.text("Thumb::MTime").toStdString(), key->mtime) << row.what;
        if (!row.used) {
            EXPECT_EQ(written.size(), QSize(128, 96)) << row.what;
            EXPECT_EQ(written.pixelColor(100, 50), QColor(Qt::blue)) << row.what;
        }
    }
    struct stat st {};
    ASSERT_EQ(::stat(entry.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(test_support::entries_of(cache + "/normal"), std::vector<std::string>{key->name});  // no temporary left, ours or stale
}

TEST(ThumbnailCache, CellsAreTheSameWithAnEmptyWarmOrUnwritableCache) {
    test_support::TempDir dir;
    const std::string picture = dir.write_file("p.png", test_support::encode_with_qt(halves(400, 300), "PNG"));
    const QImage today = load_cell_picture(picture, 49, 49).data()->image;
    const std::string cache = dir.file("home/.cache/thumbnails");
    const std::string blocked = dir.write_file("file", "") + "/thumbnails";  // under a file: nothing can be made
    for (const std::string& folder : {cache, cache, blocked}) {
        CacheFolder in_force(folder);
        const QImage cell = load_cell_picture(picture, 49, 49).data()->image;
        ASSERT_EQ(cell.size(), today.size()) << folder;
        EXPECT_EQ(cell.pixelColor(5, 24), today.pixelColor(5, 24)) << folder;
        EXPECT_EQ(cell.pixelColor(44, 24), today.pixelColor(44, 24)) << folder;
    }
    struct stat st {};
    ASSERT_EQ(::stat(cache.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(test_support::entries_of(cache).size(), 1u);  // normal/ only
}

TEST(ThumbnailCache, AFailureIsRecordedAndRespectedWhileTheFileIsUnchanged) {
    test_support::TempDir dir;
    const std::string cache = dir.file("cache/thumbnails");
    CacheFolder in_force(cache);
    const std::string path = dir.write_file("broken.jpg", "not a picture at all");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    EXPECT_THROW(load_cell_picture(path, 49, 49), platform::Error);
    // Made a picture with the same time stamp: the recorded failure stands.
    dir.write_file("broken.jpg", test_support::jpeg_bytes(64, 48));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_THROW(load_cell_picture(path, 49, 49), platform::Error);
    // Changed: decoded again.
    const struct timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 5, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_EQ(load_cell_picture(path, 49, 49).width_px(), 49);
}

// A cell's colour at a fraction of its size: the pictures are blue, the thumbnails' left halves red.
QColor at(const platform::Picture& cell, double fx, double fy) {
    const QImage& image = cell.data()->image;
    return image.pixelColor(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
}

// The cameras' own small copies are used for cells when they fit.
TEST(ExifThumbnail, UsedWhenItHasThePicturesShapeAndTurnedUprightElseThePictureIsDecoded) {
    test_support::TempDir dir;
    const QImage picture = test_support::solid_image(800, 600, Qt::blue);
    for (bool big : {true, false}) {
        // Orientation 6: a quarter turn clockwise, so the red left half goes on top.
        const std::string path =
            dir.write_file(big ? "mm.jpg" : "ii.jpg", test_support::jpeg_with_exif(picture, 6, halves(160, 120), big));
        const platform::Picture cell = platform::load_cell_picture(path, 49, 49);
        EXPECT_EQ(cell.width_px(), 49);
        EXPECT_GT(at(cell, 0.5, 0.1).red(), 180) << big;  // the thumbnail, not the blue picture
        EXPECT_GT(at(cell, 0.5, 0.9).blue(), 180) << big;
    }
    // A 4:3 thumbnail in a 3:2 picture, and a first IFD far outside the block: the picture is decoded.
    std::string broken = test_support::jpeg_with_exif(picture, 1, halves(160, 120));
    broken[2 + 4 + 6 + 4] = '\x7f';
    for (const std::string& bytes :
         {test_support::jpeg_with_exif(test_support::solid_image(900, 600, Qt::blue), 1, halves(160, 120)), broken}) {
        const std::string path = dir.write_file("other.jpg", bytes);
        EXPECT_GT(at(platform::load_cell_picture(path, 49, 49), 0.25, 0.5).blue(), 180);
    }
}

}  // namespace
