// The Win32 files layer against the real system calls (under Wine in the test
// command): listing, delete, rename, atomic writes, drives, temporary files
// and where preview.bmp goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/core/leaving.h"
#include "platform/core/win32/preview_place.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "temp_folder.h"

namespace {

using namespace wintest;
using Strings = std::vector<std::string>;

bool exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(Win32Files, ListsPicturesAndFoldersApartLeavingOutHiddenAndSystemOnes) {
    TempFolder dir;
    for (const char* name : {"b.JPG", "a.gif", "C.bmp", "note.txt", "d.Ico"}) dir.file(name);
    dir.file("hidden.jpg", "x", FILE_ATTRIBUTE_HIDDEN);
    dir.file("system.bmp", "x", FILE_ATTRIBUTE_SYSTEM);
    dir.folder("Sub");
    dir.folder("pics.jpg");
    dir.folder("secret", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(platform::list_files(dir.path(), "*.ICO;*.BMP;*.JPG;*.GIF"),
              (Strings{"a.gif", "b.JPG", "C.bmp", "d.Ico"}));
    EXPECT_EQ(platform::list_subfolders(dir.path()), (Strings{"pics.jpg", "Sub"}));
    EXPECT_EQ(error_of([&] { platform::list_files(dir.at("gone"), "*.*"); }), 76);
}

TEST(Win32Files, PathsJoinWithBackslashesAndNormalizeToTheDriveRoot) {
    struct Case { std::string got, want; };
    const Case cases[] = {
        {platform::join_path("C:\\", "x.jpg"), "C:\\\\x.jpg"},
        {platform::join_path("C:\\pics", "x.jpg"), "C:\\pics\\x.jpg"},
        {platform::normalize_folder("c:/a/./b/../c/"), "C:\\a\\c"},
        {platform::normalize_folder("C:\\..\\"), "C:\\"},
        {platform::normalize_folder("\\\\server\\share\\a\\..\\b"), "\\\\server\\share\\b"},
        {platform::parent_folder("C:\\a"), "C:\\"},
        {platform::parent_folder("C:\\"), "C:\\"},
        {platform::parent_folder("C:\\a\\b"), "C:\\a"},
        {platform::base_name("C:\\a\\b.jpg"), "b.jpg"},
        {platform::base_name("C:\\"), "C:\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
    // The system takes a doubled separator, as a join to a drive root makes.
    TempFolder dir;
    dir.file("x.gif");
    EXPECT_TRUE(exists(dir.path() + "\\\\x.gif"));
}

TEST(Win32Files, DeleteRenameAndWritesRefuseWhatTheSystemWouldLoseAndWritesReplaceWhole) {
    TempFolder dir;
    const std::string a = dir.file("a.jpg", "first");
    const std::string locked = dir.file("locked.jpg", "kept", FILE_ATTRIBUTE_READONLY);
    const struct { const char* what; std::function<void()> call; int error; } refusals[] = {
        {"delete read-only", [&] { platform::delete_file(locked); }, 75},
        {"delete a folder", [&] { platform::delete_file(dir.folder("sub")); }, 75},
        {"delete a missing file", [&] { platform::delete_file(dir.at("gone.jpg")); }, 53},
        {"rename onto a file", [&] { platform::rename_file_no_replace(a, locked); }, 58},
        {"rename into no folder", [&] { platform::rename_file_no_replace(a, dir.at("gone\\a.jpg")); }, 76},
        {"write over read-only", [&] { platform::write_file_atomically(locked, "lost"); }, 75},
        {"write beneath a file", [&] { platform::write_file_atomically(locked + "\\x.bmp", "lost"); }, 75},
    };
    for (const auto& r : refusals) EXPECT_EQ(error_of(r.call), r.error) << r.what;
    for (const char* name : {"a:b.jpg", "a\"b.jpg", "a<b.jpg", "a>b.jpg", "a|b.jpg", "a*b.jpg", "a?b.jpg",
                             "x.jpg.", "x.jpg ", "CON", "nul.jpg", "com1.gif", "", ".", ".."}) {
        EXPECT_EQ(error_of([&] { platform::rename_file_no_replace(a, dir.at(name)); }), 52) << name;
    }
    EXPECT_EQ(read_bytes(a) + read_bytes(locked), "firstkept");
    EXPECT_EQ(error_of([&] { platform::rename_file_no_replace(a, dir.at("con1 A.jpg")); }), 0);
    EXPECT_EQ(error_of([&] { platform::delete_file(dir.at("con1 A.jpg")); }), 0);
    // A write replaces a file whole, in the folders it makes, and leaves no temporary file.
    const std::string written = dir.at("new\\preview.bmp");
    platform::write_file_atomically(written, "old bitmap");
    platform::write_file_atomically(written, "new bitmap");
    EXPECT_EQ(read_bytes(written), "new bitmap");
    EXPECT_EQ(platform::list_files(dir.at("new"), "*.*"), Strings{"preview.bmp"});
    EXPECT_EQ(dir.entries(), (Strings{"locked.jpg", "new", "sub"}));
}

TEST(Win32Files, TemporaryFilesGoWhenLeavingOrAbandonedButNotWhileWritten) {
    TempFolder dir;
    platform::TempFile live = platform::create_temp_file(dir.at(".live"));
    ASSERT_NE(live.handle, nullptr);
    const std::string abandoned = dir.file(".old.glimmerbox-tmp.AbCd12");
    platform::sweep_temp_files(dir.path());
    EXPECT_FALSE(exists(abandoned));
    // The one still being written was left alone: it outlives its handle.
    ::CloseHandle(live.handle);
    EXPECT_TRUE(exists(live.path));
    platform::TempFile pending = platform::create_temp_file(dir.at(".pending"));
    ASSERT_NE(pending.handle, nullptr);
    platform::set_leave_end_for_tests([](int) {});
    platform::leave_now(0);
    ::CloseHandle(pending.handle);  // as the end of the process closes it
    EXPECT_EQ(dir.entries(), Strings{});
    EXPECT_EQ(platform::create_temp_file(dir.at(".late")).handle, nullptr);
    platform::set_leave_end_for_tests(nullptr);
    platform::reset_leaving_for_tests();
}

TEST(Win32Files, DrivesAreLettersWithTheirFolderRemembered) {
    const auto drives = platform::read_drives("");
    const auto c = std::ranges::find(drives, std::string("C:\\"), &platform::Drive::mount_point);
    ASSERT_NE(c, drives.end());
    EXPECT_EQ(c->spelled().substr(0, 2), "c:");
    EXPECT_TRUE(c->spelled().size() == 2 || c->spelled().substr(2, 2) == " [") << c->spelled();
    EXPECT_EQ(platform::parse_drive(c->spelled()).value_or(platform::Drive{}).mount_point, "C:\\");
    EXPECT_FALSE(platform::parse_drive("c:\\pics"));
    TempFolder dir;
    const platform::Drive on = platform::drive_of(drives, dir.path());
    platform::remember_folder_on_drive(on, dir.path());
    EXPECT_EQ(platform::current_folder_of_drive(on), dir.path());
    // A letter no drive has cannot be read.
    char free_letter = 'Z';
    while (free_letter > 'D' && (::GetLogicalDrives() & (1u << (free_letter - 'A')))) --free_letter;
    const platform::Drive gone{std::string(1, free_letter) + ":\\", ""};
    EXPECT_EQ(error_of([&] { platform::current_folder_of_drive(gone); }), 68);
}

TEST(Win32Files, PreviewGoesToTheRootWhereWritableElseLocalAppData) {
    EXPECT_EQ(platform::win32::choose_preview_bmp_path("C:\\", "C:\\unused"), "C:\\preview.bmp");
    EXPECT_FALSE(exists("C:\\glimmerbox-probe-" + std::to_string(::GetCurrentProcessId()) + ".tmp"));
    TempFolder dir;
    EXPECT_EQ(platform::win32::choose_preview_bmp_path(dir.at("no-such-root\\"), dir.path()),
              dir.at("Glimmerbox\\preview.bmp"));
    EXPECT_TRUE(platform::is_folder(dir.at("Glimmerbox")));
}

}  // namespace
