// Drives from a mount table fixture, their spelling, a folder's drive, each drive's current folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/files/drives.h"
#include "platform/core/error.h"
#include "support/temp_dir.h"

using platform::Drive;
using test_support::TempDir;
using Names = std::vector<std::string>;

namespace {

Names spelled(const std::vector<Drive>& drives) {
    Names out;
    for (const Drive& d : drives) out.push_back(d.spelled());
    return out;
}

TEST(Drives, PseudoFilesystemsLeftOutRootFirstEscapesDecoded) {
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
        "server:/export /net/share nfs4 rw 0 0\n"
        "/dev/sda1 " + dir.write_file("hosts", "") + " ext4 rw 0 0\n"
        "garbage line\n";
    const auto drives = platform::read_drives(dir.write_file("mounts", table));
    EXPECT_EQ(spelled(drives), (Names{"/ [system]", "/devel [devel]", "/home [home]", "/media/x [1] [x [1]]", "/mnt/usb [usb]",
                                      "/net/share [share]", "/run/media/ana/CAMERA [CAMERA]"}));
    // Each spelling reads back as its drive, even with " [" in the mount point.
    for (const Drive& d : drives) {
        const auto back = platform::parse_drive(d.spelled()).value_or(Drive{});
        EXPECT_EQ(std::pair(back.mount_point, back.label), std::pair(d.mount_point, d.label));
    }
    EXPECT_FALSE(platform::parse_drive("/home [home"));
    // The root is there even when it is an overlay.
    EXPECT_EQ(spelled(platform::read_drives(dir.write_file("m1", "overlay / overlay rw 0 0\n"))), Names{"/ [system]"});
    // A folder is on the drive with the longest mount point leading its path as whole names.
    const std::vector<Drive> nested = {{"/", "system"}, {"/home", "home"}, {"/home/ana/usb", "usb"}};
    for (const auto& [path, mount] : std::vector<std::pair<std::string, std::string>>{
             {"/home", "/home"}, {"/homework/x", "/"}, {"/home/ana/usb/dcim", "/home/ana/usb"},
             {"/home/ana/usbstick", "/home"}})
        EXPECT_EQ(platform::drive_of(nested, path).mount_point, mount) << path;
}

TEST(Drives, CurrentFolderIsTheLastShownElseTheMountPointAndAnUnreadableDriveThrows68) {
    TempDir dir;
    const Drive drive{dir.make_folder("mnt"), "mnt"};
    const std::string sub = dir.make_folder("mnt/sub/deeper");
    platform::remember_folder_on_drive(drive, sub);
    EXPECT_EQ(platform::current_folder_of_drive(drive), sub);
    ASSERT_EQ(::rmdir(sub.c_str()), 0);
    EXPECT_EQ(platform::current_folder_of_drive(drive), drive.mount_point);

    const Drive gone{dir.file("media-gone"), "media-gone"};
    platform::remember_folder_on_drive(gone, dir.file("media-gone/dcim"));
    try {
        platform::current_folder_of_drive(gone);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::kDeviceUnavailable) << e.what();
    }
}

}  // namespace
