// The shared thumbnail cache as cells use it, and the cameras' own small copies.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstdint>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/stat.h>
#include <zlib.h>

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
struct CacheFolder {
    explicit CacheFolder(const std::string& folder) {
        platform::Services s = saved;
        s.thumbnail_cache_folder = folder;
        platform::install_services(s);
    }
    ~CacheFolder() { platform::install_services(saved); }
    const platform::Services saved = platform::services();
};

// Cells made with a cache folder of the test's own.
class CachedCells : public ::testing::Test {
protected:
    test_support::TempDir dir;
    const std::string cache = dir.file("cache/thumbnails");
    CacheFolder in_force{cache};
};

// Left half red, right half blue.
QImage halves(int w, int h) {
    QImage image = test_support::solid_image(w, h, Qt::blue);
    QPainter(&image).fillRect(0, 0, w / 2, h, Qt::red);
    return image;
}

std::string png_entry(QImage image, const std::string& uri, const std::string& mtime, const std::string& size = "") {
    image.setText("Thumb::URI", QString::fromUtf8(uri.c_str()));
    image.setText("Thumb::MTime", QString::fromStdString(mtime));
    if (!size.empty()) image.setText("Thumb::Size", QString::fromStdString(size));
    return test_support::encode_with_qt(image, "PNG");
}

// A PNG chunk.
std::string png_chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const auto be = [](std::uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    return be(std::uint32_t(data.size())) + body +
           be(std::uint32_t(::crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

// The PNG with chunks put in before the first chunk of the given type.
std::string with_chunks(std::string png, const char* before, const std::string& chunks) {
    return png.insert(png.find(before) - 4, chunks);
}

// Compressed comments that inflate to 64 MiB each.
std::string bombs(int chunks) {
    static const QByteArray bomb = qCompress(QByteArray(64 << 20, 'a'), 9).mid(4);
    std::string all;
    for (int i = 0; i < chunks; ++i) all += png_chunk("zTXt", std::string("Comment\0\0", 9) + bomb.toStdString());
    return all;
}

// International text, compressed or not.
std::string itxt(const std::string& key, const std::string& value, bool compressed) {
    const std::string text = compressed ? qCompress(QByteArray::fromStdString(value)).mid(4).toStdString() : value;
    return png_chunk("iTXt", key + std::string("\0", 1) + char(compressed) + std::string("\0en\0\0", 5) + text);
}

// A cell's colour at a fraction of its size.
QColor at(const platform::Picture& cell, double fx, double fy) {
    const QImage& image = cell.data()->image;
    return image.pixelColor(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
}

// Names as other programs make them, the MD5 of the URI; keys only for absolute paths outside the cache.
TEST(ThumbnailCache, KeysAsOtherProgramsMakeThemOnlyForPicturesOutsideTheCache) {
    EXPECT_EQ(platform::thumbnail_file_name(platform::file_uri("/home/jens/photos/me.png")),
              "c6ee772d9e49320e97ec29a7eb5b1697.png");
    // GIO's URI: a space, a byte that is not UTF-8, '#' and '%' escaped, '!' kept.
    EXPECT_EQ(platform::thumbnail_file_name(platform::file_uri("/tmp/tcv/a b\xE9#%!.png")),
              "7a80387a62a1798986b05930353e8251.png");
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
    // The cache's own files, also through a link to its folder, are no pictures of the user's.
    ASSERT_EQ(::symlink(cache.c_str(), dir.file("linked").c_str()), 0);
    const std::string no_key[][2] = {
        {cache, inner}, {cache, dir.path() + "/cache//thumbnails/normal/x.png"}, {cache, "a b\xE9.png"},
        {"", picture},  {cache, dir.path()}, {cache, dir.path() + "/linked/normal/x.png"},
    };
    for (const auto& [folder, path] : no_key) EXPECT_FALSE(platform::thumbnail_key(folder, path)) << path;
}

TEST_F(CachedCells, AValidEntryIsUsedAndOthersAreReplacedByTheDecodedPicture) {
    const std::string picture = dir.write_file("red.png", test_support::encode_with_qt(halves(400, 300), "PNG"));
    const auto key = platform::thumbnail_key(cache, picture);
    ASSERT_TRUE(key);
    const std::string entry = cache + "/normal/" + key->name;
    dir.make_folder("cache/thumbnails/normal");
    // Left by an instance of ours that ended mid-write: swept on the first write.
    dir.write_file("cache/thumbnails/normal/" + key->name + ".glimmerbox-tmp.Gone42", "partial");
    const QImage green = test_support::solid_image(128, 96, Qt::green);
    const std::string valid = png_entry(green, key->uri, key->mtime, key->size);
    struct Row {
        const char* what;
        std::string bytes;  // of the entry before the visit
        bool used;
        bool linked = false;  // the entry a link to a file holding the bytes
    };
    const Row rows[] = {
        {"valid", valid, true},
        {"without size", png_entry(green, key->uri, key->mtime), true},
        {"other size", png_entry(green, key->uri, key->mtime, key->size + "0"), false},
        {"old mtime", png_entry(green, key->uri, std::to_string(std::stoll(key->mtime) - 1)), false},
        {"other uri", png_entry(green, key->uri + "x", key->mtime), false},
        {"corrupt", valid.substr(0, 200), false},
        {"longer than any thumbnail", valid + std::string(1 << 20, '\0'), false},
        {"no width",
         valid.substr(0, 8) + png_chunk("IHDR", std::string(4, '\0') + valid.substr(20, 9)) + valid.substr(33), false},
        {"header too long", valid.substr(0, 8) + png_chunk("IHDR", valid.substr(16, 13) + '\0') + valid.substr(33), false},
        // Text that would inflate to a quarter of a gigabyte: past where the keys may be, or left alone.
        {"keys in international text",
         with_chunks(test_support::encode_with_qt(green, "PNG"), "IDAT",
                     itxt("Thumb::URI", key->uri, true) + itxt("Thumb::MTime", key->mtime, false)),
         true},
        {"poisoned before the pixels", with_chunks(valid, "IDAT", bombs(4)), false},
        {"poisoned after the pixels", with_chunks(valid, "IEND", bombs(4)), true},
        {"too large", png_entry(test_support::solid_image(129, 96, Qt::green), key->uri, key->mtime), false},
        {"a link to a valid entry", valid, false, true},
    };
    for (const auto& row : rows) {
        if (row.linked) {
            ::unlink(entry.c_str());
            ASSERT_EQ(::symlink(dir.write_file("elsewhere.png", row.bytes).c_str(), entry.c_str()), 0);
        } else {
            dir.write_file("cache/thumbnails/normal/" + key->name, row.bytes);
        }
        const QImage cell = load_cell_picture(picture, 49, 49).data()->image;
        ASSERT_EQ(cell.size(), QSize(49, 49)) << row.what;
        EXPECT_EQ(cell.pixelColor(40, 24) == QColor(Qt::green), row.used) << row.what;
        if (row.used) continue;
        // A replaced entry is the picture's, valid, private.
        const QImage written = QImageReader(QString::fromStdString(entry), "png").read();
        EXPECT_EQ(written.text("Thumb::URI").toStdString(), key->uri) << row.what;
        EXPECT_EQ(written.text("Thumb::MTime").toStdString(), key->mtime) << row.what;
        EXPECT_EQ(written.text("Thumb::Size").toStdString(), key->size) << row.what;
        EXPECT_EQ(written.size(), QSize(128, 96)) << row.what;
        EXPECT_EQ(written.pixelColor(100, 50), QColor(Qt::blue)) << row.what;
    }
    struct stat st {};
    ASSERT_EQ(::stat(entry.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(test_support::entries_of(cache + "/normal"), std::vector<std::string>{key->name});  // no temporary left, ours or stale
    // No entry is no valid one, also to a caller that does not ask.
    ::unlink(entry.c_str());
    bool seen = true;
    EXPECT_TRUE(platform::read_thumbnail(cache, *key, [](QSize, int) { return true; }, &seen).isNull());
    EXPECT_FALSE(seen);
    EXPECT_TRUE(platform::read_thumbnail(cache, *key, [](QSize, int) { return true; }).isNull());
}

TEST_F(CachedCells, AFailureIsRecordedAndRespectedWhileTheFileIsUnchanged) {
    const std::string picture = test_support::jpeg_bytes(64, 48);
    const std::string garbage(picture.size(), 'x');
    struct Row {
        const char* what;
        std::string first;  // failed to decode
        std::string then;   // written over it
        int seconds_later;  // the modification time after that
        bool decoded;
    };
    const Row rows[] = {
        {"copied within the second", "", picture, 0, true},  // listed while still empty
        {"same size, same second", garbage, picture, 0, false},
        {"same size, changed", garbage, picture, 5, true},
    };
    for (const auto& row : rows) {
        const std::string path = dir.write_file(std::string(row.what) + ".jpg", row.first);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        EXPECT_THROW(load_cell_picture(path, 49, 49), platform::Error) << row.what;
        dir.write_file(std::string(row.what) + ".jpg", row.then);
        const struct timespec times[2] = {before.st_atim, {before.st_mtim.tv_sec + row.seconds_later, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        if (row.decoded)
            EXPECT_EQ(load_cell_picture(path, 49, 49).width_px(), 49) << row.what;
        else
            EXPECT_THROW(load_cell_picture(path, 49, 49), platform::Error) << row.what;
    }
    // Kept per version of the program.
    EXPECT_EQ(test_support::entries_of(cache + "/fail"), std::vector<std::string>{"glimmerbox-" GLIMMERBOX_VERSION});
    EXPECT_EQ(test_support::entries_of(cache + "/fail/glimmerbox-" GLIMMERBOX_VERSION).size(), 3u);
}

// Root opens every file, so the picture is read by a child that has become nobody.
TEST_F(CachedCells, AnUnreadablePictureShowsNoCachedThumbnail) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    const std::string picture = dir.write_file("locked.png", test_support::png_bytes(40, 30));
    const auto key = platform::thumbnail_key(cache, picture);
    ASSERT_TRUE(key);
    const std::string entry = dir.write_file("cache/thumbnails/normal/" + key->name,
                                             png_entry(test_support::solid_image(40, 30, Qt::green), key->uri,
                                                       key->mtime, key->size));
    for (const std::string& open_to_all : {dir.path(), dir.file("cache"), cache, cache + "/normal"})
        ASSERT_EQ(::chmod(open_to_all.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(entry.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(picture.c_str(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        try {
            load_cell_picture(picture, 49, 49);
            ::_exit(1);  // a cell from the cache
        } catch (const platform::Error& e) {
            ::_exit(e.number() == platform::err::kFileNotFound ? 0 : 3);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Each axis of a cell holds the picture's content however thin the picture: ten bands across the short side
// of a panorama all show, without a cache, from a cold one, a warm one and one where nothing can be made.
TEST(ThumbnailCache, CellsKeepEveryBandAcrossTheShortSideWhateverTheCache) {
    test_support::TempDir dir;
    const std::string cache = dir.file("home/.cache/thumbnails");
    const std::string blocked = dir.write_file("file", "") + "/thumbnails";
    for (const auto& [long_side, wide] : {std::pair(2000, true), std::pair(800, true), std::pair(2000, false)}) {
        QImage image = test_support::solid_image(wide ? long_side : 100, wide ? 100 : long_side, Qt::blue);
        for (int band = 0; band < 10; band += 2)
            QPainter(&image).fillRect(wide ? QRect(0, band * 10, long_side, 10) : QRect(band * 10, 0, 10, long_side),
                                      Qt::red);
        const std::string name = std::to_string(long_side) + (wide ? "-wide.png" : "-tall.png");
        const std::string path = dir.write_file(name, test_support::encode_with_qt(image, "PNG"));
        for (const std::string& folder : {std::string(), cache, cache, blocked}) {
            CacheFolder in_force(folder);
            const platform::Picture cell = load_cell_picture(path, 49, 49);
            ASSERT_EQ(QSize(cell.width_px(), cell.height_px()), QSize(49, 49)) << name << folder;
            for (int band = 0; band < 10; ++band) {
                const double across = (band + 0.5) / 10, along = 0.5;
                const QColor c = wide ? at(cell, along, across) : at(cell, across, along);
                EXPECT_GT(band % 2 ? c.blue() - c.red() : c.red() - c.blue(), 120) << name << folder << band;
            }
        }
    }
    struct stat st {};
    ASSERT_EQ(::stat(cache.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(test_support::entries_of(cache), std::vector<std::string>{"normal"});
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
    // A 4:3 thumbnail in a 3:2 picture, a first IFD far outside the block, a byte order neither II nor MM:
    // the picture is decoded.
    std::string broken = test_support::jpeg_with_exif(picture, 1, halves(160, 120));
    std::string mixed = broken;
    broken[2 + 4 + 6 + 4] = '\x7f';
    mixed[2 + 4 + 6] = 'I';
    for (const std::string& bytes :
         {test_support::jpeg_with_exif(test_support::solid_image(900, 600, Qt::blue), 1, halves(160, 120)), broken,
          mixed}) {
        const std::string path = dir.write_file("other.jpg", bytes);
        EXPECT_GT(at(platform::load_cell_picture(path, 49, 49), 0.25, 0.5).blue(), 180);
    }
}

}  // namespace
