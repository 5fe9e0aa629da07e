// Files and folders: patterns, listings with odd names, delete, rename, atomic writes; the drives from a
// mount table fixture, their spelling, a folder's drive and each drive's current folder.
#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/leaving.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "platform/files/name_rules.h"
#include "platform/files/start_folder.h"
#include "platform/core/services.h"
#include "support/checks.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"
#include "words/catalogue.h"

using namespace test_support;
using platform::Drive;
using Call = platform::file_calls::Call;
namespace err = platform::err;
using Names = std::vector<std::string>;

namespace {

TEST(Patterns, MasksMatchWithoutRegardToCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"LOGO.Ico", " *.GIF ; *.ICO ", true}, {"drawing.wmf", "*.GIF;*.ICO", false}, {"x.jpeg", "*.JPG", false},
        {"x.jpg.txt", "*.JPG", false}, {"img1.bmp", "img?.bmp", true},   {"img.bmp", "img?.bmp", false},
        {"README", "*.*", true},       {"x.jpg", "", false},             {"x.jpg", ";;*.jpg;", true},
        {"ZOO.JPG", "z*.jpg", true},   {"zoo.jpg", "Z*.JPG", true},
    };
    for (const auto& [name, masks, matches] : cases)
        EXPECT_EQ(platform::matches_pattern(name, masks), matches) << name << " ~ " << masks;
}

TEST(Listing, OddNamesInCaseInsensitiveOrderDotFilesLeftOut) {
    TempDir dir;
    for (const char* name : {"with space.jpg", "quote'\"s.jpg", "hash#1.jpg", "100%.jpg", "new\nline.jpg",
                             "-dash.jpg", "caf\xe9.jpg", "b.jpg", "a.jpg", "A.jpg", "C.JPG", "_x.jpg", ".hidden.jpg",
                             "notes.txt"})
        dir.write_file(name, "x");
    for (const char* folder : {"folder.jpg", ".cache", "Sub"}) dir.make_folder(folder);
    ASSERT_EQ(::symlink("b.jpg", dir.file("link.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", dir.file("dangling.jpg").c_str()), 0);

    EXPECT_EQ(platform::list_files(dir.path(), "*.PNG;*.JPG"),
              (Names{"-dash.jpg", "100%.jpg", "_x.jpg", "A.jpg", "a.jpg", "b.jpg", "C.JPG",
                                        "caf\xe9.jpg", "hash#1.jpg", "link.jpg", "new\nline.jpg", "quote'\"s.jpg",
                                        "with space.jpg"}));
    EXPECT_EQ(platform::list_subfolders(dir.path()), (Names{"folder.jpg", "Sub"}));
    // The order is strict: of two names exactly one comes first, and none before itself.
    using platform::name_rules::name_less;
    for (const auto& x : entries_of(dir.path()))
        for (const auto& y : entries_of(dir.path())) EXPECT_EQ(name_less(x, y) + name_less(y, x), x != y) << x << y;
}

TEST(Delete, RemovesFilesRefusesReadOnlyOnesAndFolders) {
    TempDir dir;
    const std::string ro = dir.write_file("ro.jpg", "keep me");
    ASSERT_EQ(::chmod(ro.c_str(), 0444), 0);
    EXPECT_EQ(error_of([&] { platform::delete_file(ro); }), err::kPathFileAccess);  // even for root
    ASSERT_EQ(::chmod(ro.c_str(), 0424), 0);  // one write bit for anyone is enough
    platform::delete_file(dir.path() + "//ro.jpg");
    EXPECT_FALSE(std::filesystem::exists(ro));
    // With no file chosen the path given is the folder's own: never deleted.
    const std::string folder = platform::join_path(dir.path(), "");
    EXPECT_EQ(error_of([&] { platform::delete_file(folder); }), err::kPathFileAccess);
    EXPECT_TRUE(platform::is_folder(dir.path()));
}

TEST(Rename, RefusalsAndFailingStepsLeaveTheFilesAlone) {
    TempDir dir;
    const std::string a = dir.write_file("a.jpg", "first");
    dir.write_file("b.jpg", "second");
    const auto rename_to = [&](const std::string& target) {
        return error_of([&] { platform::rename_file_no_replace(a, target); });
    };
    EXPECT_EQ(rename_to(dir.file("b.jpg")), err::kFileExists);
    for (const char* bad : {"*.jpg", "wh?t.jpg", "tab\there.jpg", "new\nline.jpg", "", ".", ".."})
        EXPECT_EQ(rename_to(dir.file(bad)), err::kBadFileName) << bad;
    EXPECT_EQ(rename_to(dir.file("nope/x.jpg")), err::kPathNotFound);
    // Too long: the name, by its length and the most its folder takes, else the path as a whole.
    std::string padded = dir.path();
    while (padded.size() < 3900) padded += "/.";
    const std::pair<std::string, std::string> too_long[] = {
        {dir.file(std::string(256, 'n')), words::say(words::kNameTooLong, {"256", "255"})},
        {padded + "/" + std::string(255, 'n'), words::say(words::kPathTooLong)}};
    for (const auto& [target, why] : too_long) {
        try {
            platform::rename_file_no_replace(a, target);
            ADD_FAILURE() << target.size();
        } catch (const platform::Error& e) {
            EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
        }
    }
    // Where the flag is refused, a taken name is still never replaced, and a failing step of the
    // fallback leaves the file under its old name only.
    for (const auto& [call, error] : {std::pair(Call::Link, EIO), std::pair(Call::Link, ENOSPC),
                                      std::pair(Call::Unlink, EIO), std::pair(Call::Unlink, EACCES)}) {
        SCOPED_TRACE(std::to_string(static_cast<int>(call)) + "/" + std::to_string(error));
        FileFault failing{{Call::Rename, EINVAL}, {call, error, 1}};
        EXPECT_NE(rename_to(dir.file("c.jpg")), 0);
        EXPECT_EQ(rename_to(dir.file("b.jpg")), err::kFileExists);
        EXPECT_EQ(entries_of(dir.path()), (Names{"a.jpg", "b.jpg"}));
        EXPECT_EQ(read_file_bytes(a) + read_file_bytes(dir.file("b.jpg")), "firstsecond");
    }
    {
        FileFault refused(Call::Rename, EINVAL);
        EXPECT_EQ(rename_to(dir.file("c.jpg")), 0);
    }
    EXPECT_EQ(entries_of(dir.path()), (Names{"b.jpg", "c.jpg"}));
    for (const auto& [error, number] : {std::pair{EIO, err::kPathFileAccess}, {EACCES, err::kPermissionDenied},
                                         {EPERM, err::kPermissionDenied}}) {
        FileFault failing(Call::Unlink, error);
        EXPECT_EQ(error_of([&] { platform::delete_file(dir.file("b.jpg")); }), number) << error;
    }
}

TEST(AtomicWrite, ReplacesContentKeepsModeAndSurvivesAFailedWrite) {
    TempDir dir;
    const std::string path = dir.file("deep/er/store.reg");
    platform::write_file_atomically(path, "old content");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    {
        FileFault full(Call::Write, ENOSPC);
        EXPECT_EQ(error_of([&] { platform::write_file_atomically(path, std::string(100'000, 'z')); }),
                  err::kPathFileAccess);
    }
    EXPECT_EQ(read_file_bytes(path), "old content");

    platform::write_file_atomically(path, "new");
    EXPECT_EQ(read_file_bytes(path), "new");
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0, 0600u);
    EXPECT_EQ(entries_of(dir.file("deep/er")), Names{"store.reg"});  // no temporary left
}

// Leaving while another thread is in the middle of a write: at the moment
// the process would end, only the old file is there; a write after that is
// refused.
TEST(AtomicWrite, LeavingMidWriteLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.file("preview.bmp");
    platform::write_file_atomically(path, "old");
    Names at_end;
    platform::set_leave_end_for_tests([&](int) { at_end = entries_of(dir.path()); });
    std::atomic<bool> done = false;
    int result = 0;
    std::thread writer([&] {
        while (!done && (result = platform::try_write_file_atomically(path, std::string(64 << 20, 'x'))) == 0) {
        }
        done = true;
    });
    const auto writing = [&] {
        for (const auto& name : entries_of(dir.path()))
            if (name.starts_with(".preview.bmp.")) return true;
        return false;
    };
    // Bounded, so that a writer that never starts fails the checks below instead of hanging the test.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && !writing() && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
    platform::leave_now(0);
    done = true;
    writer.join();
    platform::set_leave_end_for_tests(nullptr);
    platform::reset_leaving_for_tests();
    EXPECT_EQ(at_end, Names{"preview.bmp"});
    EXPECT_EQ(result, ECANCELED);
    EXPECT_EQ(entries_of(dir.path()), Names{"preview.bmp"});
}

// A temporary file whose writer is gone is swept; one a writer holds stays.
// So for the unlocked names of earlier versions: an old one goes, a fresh one
// (its writer may still be at it) stays.
TEST(AtomicWrite, SweepRemovesOnlyTemporaryFilesOfGoneWriters) {
    TempDir dir;
    dir.write_file("registry.reg", "kept");
    dir.write_file(".registry.reg.glimmerbox-tmp.AbC123", "a writer that ended mid-write");
    dir.write_file(".registry.reg.x1Y2z3", "an earlier version writing now");
    const timespec hour_ago[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.write_file(".registry.reg.Old123", "left").c_str(), hour_ago, 0), 0);
    dir.write_file(".other.reg.Old123", "not of our making");
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(".other.reg.Old123").c_str(), hour_ago, 0), 0);
    platform::TempFile live = platform::create_temp_file(dir.file(".registry.reg"));
    ASSERT_GE(live.fd, 0);
    const std::string live_name = live.path.substr(dir.path().size() + 1);
    platform::sweep_stale_temp_files_beside(dir.file("registry.reg"));
    Names want{".other.reg.Old123", ".registry.reg.x1Y2z3", live_name, "registry.reg"};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(entries_of(dir.path()), want);
    platform::drop_temp_file(live);
}

Names spelled(const std::vector<Drive>& drives) {
    Names out;
    for (const Drive& d : drives) out.push_back(d.spelled());
    return out;
}

TEST(Drives, PseudoFilesystemsLeftOutRootFirstEscapesDecodedEachWithItsCurrentFolder) {
    TempDir dir;
    const std::string table =
        "proc /proc proc rw,nosuid 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "/dev/sdb1 /home ext4 rw 0 0\n"
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "/dev/sdh1 /media/x\\040[1] vfat rw 0 0\n"
        "/dev/sdd1 /run/media/ana/CAMERA exfat rw 0 0\n"
        "/dev/loop3 /snap/core22/1234 squashfs ro 0 0\n"
        "overlay /var/lib/docker/overlay2/abc/merged overlay rw 0 0\n"
        "/dev/sdf1 /mnt/usb vfat rw 0 0\n"
        "/dev/sdi1 /devel ext4 rw 0 0\n"       // a system area's name as a prefix only
        "/dev/sdj1 /dev/disk1 ext4 rw 0 0\n"
        "/dev/sdg1 /mnt/usb ext4 rw 0 0\n"
        "server:/export /net/share100 nfs4 rw 0 0\n"  // a letter and three digits is no escape
        "/dev/sda1 " + dir.write_file("hosts", "") + " ext4 rw 0 0\n"
        "garbage line\n";
    const auto drives = platform::read_drives(dir.write_file("mounts", table));
    EXPECT_EQ(spelled(drives), (Names{"/ [system]", "/devel [devel]", "/home [home]", "/media/x [1] [x [1]]",
                                      "/mnt/usb [usb]", "/net/share100 [share100]",
                                      "/run/media/ana/CAMERA [CAMERA]"}));
    // Each spelling reads back as its drive, even with " [" in the mount point.
    for (const Drive& d : drives) {
        const auto back = platform::parse_drive(d.spelled()).value_or(Drive{});
        EXPECT_EQ(std::pair(back.mount_point, back.label), std::pair(d.mount_point, d.label));
    }
    for (const char* wrong : {"/home [home", "a/b [b]"}) EXPECT_FALSE(platform::parse_drive(wrong)) << wrong;
    EXPECT_EQ(platform::parse_drive("/mnt/x [Photos]").value_or(Drive{}).mount_point, "/mnt/x");  // a label of its own
    // The root is there even when it is an overlay.
    EXPECT_EQ(spelled(platform::read_drives(dir.write_file("m1", "overlay / overlay rw 0 0\n"))), Names{"/ [system]"});
    // A folder is on the drive with the longest mount point leading its path as whole names.
    const std::vector<Drive> nested = {{"/", "system"}, {"/home", "home"}, {"/home/ana/usb", "usb"}};
    for (const auto& [path, mount] : std::vector<std::pair<std::string, std::string>>{
             {"/home", "/home"}, {"/homework/x", "/"}, {"/home/ana/usb/dcim", "/home/ana/usb"},
             {"/home/ana/usbstick", "/home"}})
        EXPECT_EQ(platform::drive_of(nested, path).mount_point, mount) << path;

    // A drive's current folder is the last shown, else its mount point; an unreadable drive throws.
    const Drive drive{dir.make_folder("mnt"), "mnt"}, other{dir.make_folder("other"), "other"};
    const std::string sub = dir.make_folder("mnt/sub/deeper");
    platform::remember_folder_on_drive(drive, sub);
    platform::remember_folder_on_drive(other, dir.make_folder("other/x"));
    EXPECT_EQ(platform::current_folder_of_drive(drive), sub);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    EXPECT_EQ(platform::current_folder_of_drive(drive), drive.mount_point);

    const Drive gone{dir.file("media-gone"), "media-gone"};
    platform::remember_folder_on_drive(gone, dir.file("media-gone/dcim"));
    EXPECT_EQ(error_of([&] { platform::current_folder_of_drive(gone); }), err::kDeviceUnavailable);

    // The start folder opens on the drive that holds it by the mount table, not on every drive above it.
    const std::string start = platform::start_folder();
    const platform::Services saved = platform::services();
    platform::Services s = saved;
    s.mount_table_path = dir.write_file("mounts", "/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 " + start + " ext4 rw 0 0\n");
    platform::install_services(s);
    EXPECT_EQ(platform::current_folder_of_drive(Drive{"/", "system"}), "/");
    EXPECT_EQ(platform::current_folder_of_drive(Drive{start, "start"}), start);
    platform::install_services(saved);
}

TEST(Folders, NormalizedPaths) {
    const std::pair<std::string, std::string> cases[] = {
        {"//pics", "/pics"}, {"/a//b/./c/../", "/a/b"}, {"/..", "/"}, {"/x/y/..//z", "/x/z"}};
    for (const auto& [path, normal] : cases) EXPECT_EQ(platform::normalize_folder(path), normal) << path;
}

// Names read as the toolkit reads UTF-8, whatever the bytes: pieces at each edge of the encoding, some cut
// short, joined at random; shortening must not split what it keeps differently either.
TEST(DisplayText, ReadsAnyBytesAsTheToolkitDoes) {
    // Each length at its least and most, either side of the surrogates, the last scalar values, a byte order
    // mark; then overlong forms, surrogates, values past U+10FFFF and bytes that start nothing.
    const std::string pieces[] = {
        "a", "\x7F", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xEF\xBF\xBF", "\xED\x9F\xBF", "\xEE\x80\x80",
        "\xEF\xBB\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xB0\x80", "\xF4\x8F\xBF\xBF",
        "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80",
        "\x80", "\xF5", "\xFF"};
    std::mt19937 random(2026);
    for (int n = 0; n < 4000; ++n) {
        std::string name;
        for (auto k = random() % 40; k-- > 0;) {
            const std::string& piece = pieces[random() % std::size(pieces)];
            name += random() % 4 ? piece : piece.substr(0, random() % piece.size());
        }
        const QString text = QString::fromUtf8(name);
        const QString shortened = text.size() > 60 ? text.left(28) + QChar(0x2026) + text.right(28) : text;
        SCOPED_TRACE(QByteArray::fromStdString(name).toHex().toStdString());
        ASSERT_EQ(platform::display_text(name), text.toUtf8().toStdString());
        ASSERT_EQ(platform::shortened_display_text(name), shortened.toUtf8().toStdString());
    }
}

}  // namespace
