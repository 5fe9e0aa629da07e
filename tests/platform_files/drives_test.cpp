// Drives from a mount table fixture, their spelling, and each drive's
// current folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/drives.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/services.h"
#include "support/temp_dir.h"

using platform::Drive;
using test_support::TempDir;

namespace {

std::vector<std::string> spelled(const std::vector<Drive>& drives) {
    std::vector<std::string> out;
    for (const Drive& d : drives) out.push_back(d.spelled());
    return out;
}

// Goes into a folder for one test and back out at the end.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : previous_(platform::current_folder()) {
        EXPECT_EQ(::chdir(folder.c_str()), 0);
    }
    ~InFolder() { EXPECT_EQ(::chdir(previous_.c_str()), 0); }

private:
    std::string previous_;
};

void use_mount_table(const std::string& path) {
    platform::Services s;
    s.mount_table_path = path;
    platform::install_services(s);
}

TEST(Drives, PseudoFilesystemsLeftOutRootFirstEscapesDecoded) {
    TempDir dir;
    const std::string file_mount = dir.write_file("hosts", "127.0.0.1 localhost\n");
    const std::string table =
        "proc /proc proc rw,nosuid 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "devpts /dev/pts devpts rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "/dev/sdb1 /home ext4 rw 0 0\n"
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "/dev/sdc1 /media/ana/MY\\040DISK vfat rw 0 0\n"
        "/dev/sdd1 /run/media/ana/CAMERA exfat rw 0 0\n"
        "/dev/sde1 /run/user/1000/doc fuse.portal rw 0 0\n"
        "/dev/loop3 /snap/core22/1234 squashfs ro 0 0\n"
        "overlay /var/lib/docker/overlay2/abc/merged overlay rw 0 0\n"
        "/dev/sdf1 /mnt/usb vfat rw 0 0\n"
        "/dev/sdg1 /mnt/usb ext4 rw 0 0\n"
        "server:/export /net/share nfs4 rw 0 0\n"
        "/dev/sda1 " + file_mount + " ext4 rw 0 0\n"
        "garbage line\n"
        "\n";
    const auto drives = platform::read_drives(dir.write_file("mounts", table));
    EXPECT_EQ(spelled(drives), (std::vector<std::string>{
                                   "/ [system]",
                                   "/home [home]",
                                   "/media/ana/MY DISK [MY DISK]",
                                   "/mnt/usb [usb]",
                                   "/net/share [share]",
                                   "/run/media/ana/CAMERA [CAMERA]",
                               }));
}

TEST(Drives, OverlayRootIsKeptAndRootAlwaysPresent) {
    TempDir dir;
    const auto overlay = platform::read_drives(dir.write_file("m1", "overlay / overlay rw 0 0\n"));
    EXPECT_EQ(spelled(overlay), (std::vector<std::string>{"/ [system]"}));
    const auto no_root = platform::read_drives(dir.write_file("m2", "/dev/sdb1 /data xfs rw 0 0\n"));
    EXPECT_EQ(spelled(no_root), (std::vector<std::string>{"/ [system]", "/data [data]"}));
    const auto missing = platform::read_drives(dir.file("no-such-table"));
    EXPECT_EQ(spelled(missing), (std::vector<std::string>{"/ [system]"}));
}

TEST(Drives, ParseDriveAcceptsOnlyTheDriveSpelling) {
    const auto root = platform::parse_drive("/ [system]");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->mount_point, "/");
    EXPECT_EQ(root->label, "system");
    const auto disk = platform::parse_drive("/media/ana/MY DISK [MY DISK]");
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->mount_point, "/media/ana/MY DISK");
    EXPECT_EQ(disk->label, "MY DISK");
    // A mount point that itself holds " [".
    const auto odd = platform::parse_drive("/media/x [1] [x [1]]");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->mount_point, "/media/x [1]");
    EXPECT_EQ(odd->label, "x [1]");
    for (const char* not_drive : {"/home", "/home [home", "/home[home]", " [x]", "[x]", "home [home]", ""}) {
        EXPECT_FALSE(platform::parse_drive(not_drive)) << not_drive;
    }
}

TEST(Drives, DriveOfIsLongestMountPointOnComponentBoundary) {
    const std::vector<Drive> drives = {{"/", "system"}, {"/home", "home"}, {"/home/ana/usb", "usb"}};
    EXPECT_EQ(platform::drive_of(drives, "/home/ana/pics").mount_point, "/home");
    EXPECT_EQ(platform::drive_of(drives, "/home").mount_point, "/home");
    EXPECT_EQ(platform::drive_of(drives, "/homework/x").mount_point, "/");
    EXPECT_EQ(platform::drive_of(drives, "/home/ana/usb/dcim").mount_point, "/home/ana/usb");
    EXPECT_EQ(platform::drive_of(drives, "/home/ana/usbstick").mount_point, "/home");
    EXPECT_EQ(platform::drive_of(drives, "/").mount_point, "/");
}

class CurrentFolderOfDrive : public ::testing::Test {
protected:
    void SetUp() override {
        mount_ = dir_.make_folder("mnt");
        inner_ = dir_.make_folder("mnt/inner");
        use_mount_table(dir_.write_file("mounts", "/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 " + mount_ +
                                                      " ext4 rw 0 0\n/dev/sdc1 " + inner_ + " vfat rw 0 0\n"));
    }
    void TearDown() override { platform::install_services(platform::Services{}); }

    TempDir dir_;
    std::string mount_, inner_;
};

TEST_F(CurrentFolderOfDrive, RemembersTheFolderLastShownAndFallsBackWhenItVanishes) {
    const Drive drive{mount_, "mnt"};
    EXPECT_EQ(platform::current_folder_of_drive(drive), mount_);
    const std::string sub = dir_.make_folder("mnt/sub/deeper");
    platform::remember_folder_on_drive(drive, sub);
    EXPECT_EQ(platform::current_folder_of_drive(drive), sub);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    EXPECT_EQ(platform::current_folder_of_drive(drive), mount_);
}

TEST_F(CurrentFolderOfDrive, ProcessCurrentFolderCountsOnlyForTheDriveHoldingIt) {
    const std::string here = dir_.make_folder("mnt/work");
    const std::string inside_inner = dir_.make_folder("mnt/inner/photos");
    {
        InFolder in(here);
        EXPECT_EQ(platform::current_folder_of_drive(Drive{mount_, "mnt"}), here);
        EXPECT_EQ(platform::current_folder_of_drive(Drive{inner_, "inner"}), inner_);
    }
    {
        InFolder in(inside_inner);
        // The folder lies under mnt, but on the inner drive mounted there.
        EXPECT_EQ(platform::current_folder_of_drive(Drive{mount_, "mnt"}), mount_);
        EXPECT_EQ(platform::current_folder_of_drive(Drive{inner_, "inner"}), inside_inner);
    }
}

TEST_F(CurrentFolderOfDrive, DriveThatCannotBeReadThrows68) {
    const Drive gone{dir_.file("media-gone"), "media-gone"};
    platform::remember_folder_on_drive(gone, dir_.file("media-gone/dcim"));
    try {
        platform::current_folder_of_drive(gone);
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::kDeviceUnavailable);
        const std::string text = e.what();
        EXPECT_NE(text.find("The drive " + gone.spelled() + " cannot be read: "), std::string::npos) << text;
        EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
    }
}

}  // namespace
