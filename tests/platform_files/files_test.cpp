// Files and folders: patterns, listings with odd names, delete, rename and
// atomic writes.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/error.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using platform::Error;
using test_support::entries_of;
using test_support::path_exists;
using test_support::read_file_bytes;
using test_support::TempDir;
namespace err = platform::err;

namespace {

constexpr const char* kPictures = "*.GIF;*.JPG;*.BMP;*.ICO";

// The error number a call throws, or 0 when it does not throw.
template <class F>
int error_number(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

template <class F>
std::string error_text(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

TEST(Patterns, MatchWithoutRegardToCaseAcrossSeveralMasks) {
    EXPECT_TRUE(platform::matches_pattern("beach.jpg", kPictures));
    EXPECT_TRUE(platform::matches_pattern("LOGO.Ico", kPictures));
    EXPECT_TRUE(platform::matches_pattern("a.gif", kPictures));
    EXPECT_FALSE(platform::matches_pattern("drawing.wmf", kPictures));
    EXPECT_FALSE(platform::matches_pattern("x.jpeg", "*.JPG"));
    EXPECT_FALSE(platform::matches_pattern("x.jpg.txt", "*.JPG"));
    EXPECT_FALSE(platform::matches_pattern("jpg", "*.JPG"));
}

TEST(Patterns, QuestionMarkIsExactlyOneByteAndStarAnyRun) {
    EXPECT_TRUE(platform::matches_pattern("img1.bmp", "img?.bmp"));
    EXPECT_FALSE(platform::matches_pattern("img.bmp", "img?.bmp"));
    EXPECT_FALSE(platform::matches_pattern("img12.bmp", "img?.bmp"));
    EXPECT_TRUE(platform::matches_pattern("a.b.c", "*.*"));
    EXPECT_TRUE(platform::matches_pattern("README", "*.*"));  // every file, dot or not
    EXPECT_TRUE(platform::matches_pattern("anything", "*"));
    EXPECT_TRUE(platform::matches_pattern("aXbXc", "a*b*c"));
    EXPECT_FALSE(platform::matches_pattern("aXbXd", "a*b*c"));
    EXPECT_FALSE(platform::matches_pattern("x.jpg", ""));
    EXPECT_TRUE(platform::matches_pattern("x.jpg", ";;*.jpg;"));
}

TEST(Listing, OddNamesAreListedAndDotFilesLeftOut) {
    TempDir dir;
    const std::vector<std::string> odd = {
        "with space.jpg", "quote'\"s.jpg", "hash#1.jpg", "100%.jpg", "new\nline.jpg", "-dash.jpg",
        std::string("caf\xe9.jpg"),  // Latin-1 byte: not UTF-8
    };
    for (const auto& name : odd) dir.write_file(name, "x");
    dir.write_file(".hidden.jpg", "x");
    dir.write_file("notes.txt", "x");
    dir.make_folder("folder.jpg");
    dir.make_folder(".cache");
    dir.make_folder("Sub");
    ASSERT_EQ(::symlink("with space.jpg", dir.file("link.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", dir.file("dangling.jpg").c_str()), 0);

    const auto files = platform::list_files(dir.path(), kPictures);
    std::vector<std::string> expected = odd;
    expected.push_back("link.jpg");
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> got = files;
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected);

    EXPECT_EQ(platform::list_subfolders(dir.path()), (std::vector<std::string>{"folder.jpg", "Sub"}));
}

TEST(Listing, SortedWithoutRegardToCaseWithStableTies) {
    TempDir dir;
    for (const char* name : {"b.jpg", "A.jpg", "a.jpg", "C.JPG", "ab.jpg", "_x.jpg"}) dir.write_file(name, "x");
    EXPECT_EQ(platform::list_files(dir.path(), "*.jpg"),
              (std::vector<std::string>{"_x.jpg", "A.jpg", "a.jpg", "ab.jpg", "b.jpg", "C.JPG"}));
}

TEST(Listing, FolderThatCannotBeReadThrows76NamingIt) {
    TempDir dir;
    const std::string missing = dir.file("gone");
    EXPECT_EQ(error_number([&] { platform::list_files(missing, "*"); }), err::kPathNotFound);
    EXPECT_NE(error_text([&] { platform::list_files(missing, "*"); }).find(missing), std::string::npos);
    const std::string file = dir.write_file("plain", "x");
    EXPECT_EQ(error_number([&] { platform::list_subfolders(file); }), err::kPathNotFound);
}

TEST(Paths, NormalizeParentAndBaseName) {
    EXPECT_EQ(platform::normalize_folder("/a//b/./c/../d/"), "/a/b/d");
    EXPECT_EQ(platform::normalize_folder("/../.."), "/");
    EXPECT_EQ(platform::normalize_folder("//"), "/");
    EXPECT_EQ(platform::normalize_folder("rel"), platform::normalize_folder(platform::current_folder()) + "/rel");
    EXPECT_EQ(platform::parent_folder("/a/b"), "/a");
    EXPECT_EQ(platform::parent_folder("/a"), "/");
    EXPECT_EQ(platform::parent_folder("/"), "/");
    EXPECT_EQ(platform::base_name("/a/b.jpg"), "b.jpg");
    EXPECT_EQ(platform::base_name("/a/b/"), "b");
    EXPECT_EQ(platform::base_name("/"), "/");
    EXPECT_EQ(platform::join_path("/", "x"), "//x");
}

TEST(Paths, DisplayTextKeepsUtf8AndShowsInvalidBytes) {
    EXPECT_EQ(platform::display_text("Straße.jpg"), "Straße.jpg");
    const std::string shown = platform::display_text(std::string("caf\xe9.jpg"));
    EXPECT_EQ(shown, "caf\xef\xbf\xbd.jpg");  // U+FFFD in place of the bad byte
}

TEST(Paths, IsFolder) {
    TempDir dir;
    EXPECT_TRUE(platform::is_folder(dir.path()));
    EXPECT_FALSE(platform::is_folder(dir.write_file("f", "x")));
    EXPECT_FALSE(platform::is_folder(dir.file("missing")));
    EXPECT_FALSE(platform::is_folder(""));
}

TEST(Delete, RemovesOnlyTheFileAndAcceptsDoubledSlash) {
    TempDir dir;
    dir.write_file("a.jpg", "a");
    dir.write_file("b.jpg", "b");
    platform::delete_file(dir.path() + "//a.jpg");
    EXPECT_FALSE(path_exists(dir.file("a.jpg")));
    EXPECT_EQ(read_file_bytes(dir.file("b.jpg")), "b");
}

TEST(Delete, ReadOnlyByModeBitsIsRefusedAndKept) {
    TempDir dir;
    const std::string path = dir.write_file("ro.jpg", "keep me");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(error_number([&] { platform::delete_file(path); }), err::kPathFileAccess);
    EXPECT_EQ(read_file_bytes(path), "keep me");
    // One write bit for anyone is enough.
    ASSERT_EQ(::chmod(path.c_str(), 0404 | 0020), 0);
    platform::delete_file(path);
    EXPECT_FALSE(path_exists(path));
}

TEST(Delete, MissingFolderAndTrailingSeparatorAreRefused) {
    TempDir dir;
    EXPECT_EQ(error_number([&] { platform::delete_file(dir.file("missing.jpg")); }), err::kFileNotFound);
    dir.make_folder("sub");
    EXPECT_EQ(error_number([&] { platform::delete_file(dir.file("sub")); }), err::kPathFileAccess);
    EXPECT_TRUE(platform::is_folder(dir.file("sub")));
    // No file selected: the path ends in the separator and names the folder.
    EXPECT_EQ(error_number([&] { platform::delete_file(dir.path() + "/"); }), err::kPathFileAccess);
}

TEST(Delete, SymbolicLinkGoesTargetStays) {
    TempDir dir;
    const std::string target = dir.write_file("target.jpg", "t");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    ASSERT_EQ(::symlink("target.jpg", dir.file("link.jpg").c_str()), 0);
    platform::delete_file(dir.file("link.jpg"));
    EXPECT_FALSE(path_exists(dir.file("link.jpg")));
    EXPECT_EQ(read_file_bytes(target), "t");
}

TEST(Rename, RenamesAndMovesIntoSubfolder) {
    TempDir dir;
    dir.write_file("old.jpg", "pic");
    dir.make_folder("sub");
    platform::rename_file_no_replace(dir.file("old.jpg"), dir.file("new name #1.jpg"));
    EXPECT_FALSE(path_exists(dir.file("old.jpg")));
    EXPECT_EQ(read_file_bytes(dir.file("new name #1.jpg")), "pic");
    platform::rename_file_no_replace(dir.file("new name #1.jpg"), dir.file("sub/moved.jpg"));
    EXPECT_EQ(read_file_bytes(dir.file("sub/moved.jpg")), "pic");
    const std::string latin1("\xe9t\xe9.jpg");
    platform::rename_file_no_replace(dir.file("sub/moved.jpg"), dir.file(latin1));
    EXPECT_EQ(read_file_bytes(dir.file(latin1)), "pic");
}

TEST(Rename, TakenNameLeavesBothFilesUnchanged) {
    TempDir dir;
    dir.write_file("a.jpg", "first");
    dir.write_file("b.jpg", "second");
    EXPECT_EQ(error_number([&] { platform::rename_file_no_replace(dir.file("a.jpg"), dir.file("b.jpg")); }),
              err::kFileExists);
    EXPECT_EQ(read_file_bytes(dir.file("a.jpg")), "first");
    EXPECT_EQ(read_file_bytes(dir.file("b.jpg")), "second");
    // Renaming onto itself is a taken name too, and keeps the file.
    EXPECT_EQ(error_number([&] { platform::rename_file_no_replace(dir.file("a.jpg"), dir.file("a.jpg")); }),
              err::kFileExists);
    EXPECT_EQ(read_file_bytes(dir.file("a.jpg")), "first");
}

TEST(Rename, RefusedNamesLeaveTheFileAlone) {
    TempDir dir;
    dir.write_file("a.jpg", "a");
    for (const std::string& bad : std::vector<std::string>{"*.jpg", "wh?t.jpg", "tab\there.jpg", "new\nline.jpg", std::string("del\x7f"), "",
                                  ".", ".."}) {
        EXPECT_EQ(error_number([&] { platform::rename_file_no_replace(dir.file("a.jpg"), dir.file(bad)); }),
                  err::kBadFileName)
            << "name: " << bad;
    }
    EXPECT_EQ(error_number([&] { platform::rename_file_no_replace(dir.file("a.jpg"), dir.path() + "/sub/"); }),
              err::kBadFileName);
    EXPECT_EQ(read_file_bytes(dir.file("a.jpg")), "a");
    // A wildcard in a folder part is not the new name's business.
    dir.make_folder("odd*");
    platform::rename_file_no_replace(dir.file("a.jpg"), dir.file("odd*/a.jpg"));
    EXPECT_EQ(read_file_bytes(dir.file("odd*/a.jpg")), "a");
}

TEST(Rename, MissingOldFileAndMissingTargetFolder) {
    TempDir dir;
    EXPECT_EQ(error_number([&] { platform::rename_file_no_replace(dir.file("gone.jpg"), dir.file("x.jpg")); }),
              err::kFileNotFound);
    dir.write_file("a.jpg", "a");
    EXPECT_EQ(error_number([&] { platform::rename_file_no_replace(dir.file("a.jpg"), dir.file("nope/x.jpg")); }),
              err::kPathNotFound);
    dir.write_file("plain", "p");
    EXPECT_EQ(error_number([&] { platform::rename_file_no_replace(dir.file("a.jpg"), dir.file("plain/x.jpg")); }),
              err::kPathNotFound);
    EXPECT_EQ(read_file_bytes(dir.file("a.jpg")), "a");
}

TEST(AtomicWrite, CreatesParentsAndReplacesContent) {
    TempDir dir;
    const std::string path = dir.file("deep/er/store.reg");
    platform::write_file_atomically(path, "one");
    EXPECT_EQ(read_file_bytes(path), "one");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    const std::string big(3'000'000, 'z');
    platform::write_file_atomically(path, big);
    EXPECT_EQ(read_file_bytes(path), big);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // No temporary file is left behind.
    EXPECT_EQ(entries_of(dir.file("deep/er")), (std::vector<std::string>{"store.reg"}));
}

TEST(AtomicWrite, FailureLeavesOldContentAndThrows75) {
    TempDir dir;
    const std::string blocker = dir.write_file("blocker", "not a folder");
    const std::string text = error_text([&] { platform::write_file_atomically(blocker + "/x.bmp", "data"); });
    EXPECT_EQ(error_number([&] { platform::write_file_atomically(blocker + "/x.bmp", "data"); }),
              err::kPathFileAccess);
    EXPECT_NE(text.find("Not a directory"), std::string::npos) << text;
    EXPECT_EQ(read_file_bytes(blocker), "not a folder");

    // The target is a folder: the rename over it fails, the folder stays.
    const std::string folder = dir.make_folder("target");
    dir.write_file("target/inside", "kept");
    EXPECT_EQ(error_number([&] { platform::write_file_atomically(folder, "data"); }), err::kPathFileAccess);
    EXPECT_EQ(read_file_bytes(dir.file("target/inside")), "kept");
    EXPECT_EQ(entries_of(dir.path()), (std::vector<std::string>{"blocker", "target"}));
}

}  // namespace
