// The settings store file: values round-trip, hand-edited stores keep their lines, bad or unwritable
// stores are refused with the right code and left alone.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "platform/desktop/real_services.h"
#include "platform/store/registry.h"
#include "support/file_faults.h"
#include "support/wallpaper_fixture.h"

using namespace platform;
using wallpaper_test::read_file_bytes;
using wallpaper_test::write_file;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class SettingsStore : public wallpaper_test::WallpaperTest {
protected:
    // Opens a key, sets one string value unless `name` is null, closes; the first failure.
    static long set(const char* name, const std::string& value, RegKey main = kHkeyCurrentUser,
                    const std::string& sub = "Control Panel\\Desktop") {
        RegKey key = 0;
        if (const long rc = RegOpenKeyExA(main, sub, 0, kKeyWrite, &key)) return rc;
        const long rc = name ? RegSetValueExA(key, name, 0, kRegSz, value.c_str(),
                                              static_cast<std::uint32_t>(value.size() + 1))
                             : 0;
        EXPECT_EQ(RegCloseKey(key), 0);
        return rc;
    }
};

TEST_F(SettingsStore, ValuesWithQuotesBackslashesAndLineBreaksReadBackEachUnderItsOwnKey) {
    const std::string values[] = {"say \"hi\".bmp", "C:\\pics\\", "\\\"", "two\nlines\r\n", "[x]=@;#", ""};
    for (const auto& value : values) {
        ASSERT_EQ(set("Wallpaper", value), 0) << value;
        EXPECT_EQ(read_string_value(kDesktop, "Wallpaper"), value);
        ASSERT_EQ(set("WallpaperStyle", "1"), 0) << "the store still parses after " << value;
    }
    const std::pair<RegKey, std::string> keys[] = {
        {kHkeyClassesRoot, "HKEY_CLASSES_ROOT"},         {kHkeyCurrentUser, "HKEY_CURRENT_USER"},
        {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE"},       {kHkeyUsers, "HKEY_USERS"},
        {kHkeyPerformanceData, "HKEY_PERFORMANCE_DATA"}, {kHkeyCurrentConfig, "HKEY_CURRENT_CONFIG"},
        {kHkeyDynData, "HKEY_DYN_DATA"}};
    for (const auto& [key, name] : keys) ASSERT_EQ(set("Owner", name, key, ""), 0) << name;
    for (const auto& [key, name] : keys) EXPECT_EQ(read_string_value(name, "Owner"), name);
    EXPECT_EQ(RegSetValueExA(kHkeyCurrentUser, "Owner", 0, kRegSz, nullptr, 5), 87) << "no bytes to read";
}

TEST_F(SettingsStore, WritesFromTwoThreadsAtOnceAllSurvive) {
    // The wallpaper call records its picture on the hand-off thread while a window writes the style.
    const auto write_all = [&](const std::string& prefix) {
        for (int i = 0; i < 30; ++i) EXPECT_EQ(set((prefix + std::to_string(i)).c_str(), "v"), 0);
    };
    std::thread other(write_all, "Other");
    write_all("Window");
    other.join();
    for (const char* prefix : {"Other", "Window"})
        for (int i = 0; i < 30; ++i) EXPECT_EQ(read_string_value(kDesktop, prefix + std::to_string(i)), "v") << prefix << i;
}

TEST_F(SettingsStore, HandEditedStoreKeepsForeignLinesAndTheirLineEnds) {
    // Edited by other tools: both line ends, a comment ending in a stray CR, wrapped values, a lone CR at the end.
    const std::string head =
        "REGEDIT4\n; my notes\r\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Blob\"=hex:01,02,\\\r\n  03\n@=\"default\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n";
    write_file(store_path, head + "\"TileWallpaper\"=hex:01,\\\r\n  02,\\\n  03\r\n"
                                  "  \"WallpaperStyle\" = \"2\"  \r\n\"Keep\"=\"this\"\r");
    EXPECT_EQ(read_string_value(kDesktop, "TileWallpaper"), std::nullopt) << "not a string";
    EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), "2");
    EXPECT_EQ(read_string_value(kDesktop, "Jeep"), std::nullopt);
    // A key is there when it or a key below it has a section, by whole names in any case.
    for (const auto& [sub, rc] : {std::pair<const char*, long>("Software", 0), {"software\\OTHER", 0},
                                  {"Softwar", 2}, {"Software\\Other\\Deeper", 2}, {"Nowhere", 2}})
        EXPECT_EQ(set(nullptr, "", kHkeyCurrentUser, sub), rc) << sub;
    ASSERT_EQ(set("WallpaperStyle", "1"), 0);
    ASSERT_EQ(set("TileWallpaper", "1"), 0);  // the wrapped value's continuation lines go with it
    ASSERT_EQ(set("Wallpaper", "/p.bmp"), 0);
    const std::string once = head +
        "\"TileWallpaper\"=\"1\"\r\n\"WallpaperStyle\"=\"1\"\r\n\"Keep\"=\"this\"\n\"Wallpaper\"=\"/p.bmp\"\n";
    EXPECT_EQ(store(), once);
    ASSERT_EQ(set("Wallpaper", "/p.bmp"), 0);
    EXPECT_EQ(store(), once) << "the same value again changes no byte";
}

TEST_F(SettingsStore, StoreThatIsNoStoreOrCannotBeWrittenIsRefusedAndKept) {
    const std::string folder = std::filesystem::path(store_path).parent_path().string();
    std::filesystem::create_directories(folder);
    const std::string desktop = "REGEDIT4\n\n[" + kDesktop + "]\n\"WallpaperStyle\"=\"0\"\n";
    // Exactly 1 MiB is read, but one more value would make it a store we refuse to read.
    std::string full = "REGEDIT4\n\n[" + kDesktop + "]\n; ";
    full += std::string((1 << 20) - full.size() - 1, 'x') + "\n";
    const std::tuple<const char*, std::function<void()>, long> cases[] = {  // what, how it is made, the code
        {"garbage line", [&] { write_file(store_path, "REGEDIT4\n\n[" + kDesktop + "]\ngarbage line\n"); }, 1009},
        {"unclosed quote", [&] { write_file(store_path, "REGEDIT4\n\"Unclosed=\"1\"\n"); }, 1009},
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(store_path.c_str(), 0644), 0); }, 1009},
        {"link to /dev/zero", [&] { ASSERT_EQ(::symlink("/dev/zero", store_path.c_str()), 0); }, 1009},
        {"over 1 MiB", [&] { write_file(store_path, "REGEDIT4\n\n; " + std::string(1 << 20, 'x') + "\n"); }, 1009},
        {"1 MiB", [&] { write_file(store_path, full); }, 1013},
        // No write bit for anyone: read-only, even for root.
        {"read-only", [&] { write_file(store_path, desktop), ::chmod(store_path.c_str(), 0444); }, 5},
        {"link loop", [&] { ASSERT_EQ(::symlink("registry.reg", store_path.c_str()), 0); }, 1013},
    };
    for (const auto& [what, make, code] : cases) {
        make();
        // What the store is (the same file, of the same kind), what it holds and what is beside it.
        const auto state = [&] {
            struct stat st {};
            ::lstat(store_path.c_str(), &st);
            return std::tuple(st.st_ino, st.st_mode, S_ISREG(st.st_mode) ? store() : "",
                              test_support::entries_of(folder));
        };
        const auto before = state();
        ::alarm(10);  // a store that blocks or never ends kills the test instead of hanging it
        EXPECT_EQ(set("WallpaperStyle", "1"), code) << what;
        ::alarm(0);
        EXPECT_TRUE(state() == before) << what << " was changed";
        std::filesystem::remove(store_path);
    }
    // An empty file holds nothing to lose: it is written afresh.
    write_file(store_path, "");
    EXPECT_EQ(set("WallpaperStyle", "0"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), "0");
}

// Whatever call fails, the store ends either changed as asked or byte for byte as it was, with no
// temporary file beside it; the user's other values are never lost.
TEST_F(SettingsStore, EveryFailingFileCallLeavesTheStoreWholeOrChangedAsAsked) {
    using Call = platform::file_calls::Call;
    using test_support::FileFault;
    constexpr int kShort = platform::file_calls::kShort;
    // Read in chunks, the first cut inside the comment: a store read only in part still parses.
    const std::string old = "REGEDIT4\n\n[" + kDesktop + "]\n\"WallpaperStyle\"=\"0\"\n; " +
                            std::string(10000, 'x') + "\n\"Keep\"=\"this\"\n";
    const std::tuple<Call, int, int, long> rows[] = {  // the call, its error, which one (0 every one), the code
        {Call::Open, EACCES, 0, 5},   {Call::Open, EIO, 2, 1013},    {Call::Read, EIO, 2, 1013},
        {Call::Read, EIO, 5, 1013},   {Call::Read, EACCES, 1, 5},    {Call::Read, EINTR, 2, 0},
        {Call::Read, kShort, 0, 0},   {Call::Write, ENOSPC, 1, 1013}, {Call::Write, EIO, 0, 1013},
        {Call::Write, EINTR, 1, 0},   {Call::Write, kShort, 0, 0},   {Call::Fsync, EIO, 0, 1013},
        {Call::Fsync, ENOSPC, 0, 1013}, {Call::Rename, EIO, 0, 1013}, {Call::Rename, EACCES, 0, 5},
    };
    const std::string folder = std::filesystem::path(store_path).parent_path().string();
    for (const auto& [call, error, nth, code] : rows) {
        SCOPED_TRACE(std::to_string(static_cast<int>(call)) + "/" + std::to_string(error) + "/" +
                     std::to_string(nth));
        write_file(store_path, old);
        {
            FileFault fault(call, error, nth);
            EXPECT_EQ(set("WallpaperStyle", "1"), code);
        }
        EXPECT_EQ(read_string_value(kDesktop, "Keep"), "this");
        EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), code ? "0" : "1");
        EXPECT_TRUE(!code || store() == old);
        EXPECT_EQ(test_support::entries_of(folder), std::vector<std::string>{"registry.reg"});
    }
}

TEST_F(SettingsStore, WritesGoThroughALinkToItsTargetAndAfterAWrappedValueItEndsInside) {
    // A store kept in a dotfiles folder, linked by a relative path, and cut short inside a wrapped value: a
    // line right after the final backslash would read as more of that value, losing the new one.
    const std::string target = (dir / "dotfiles/glimmerbox.reg").string();
    const std::string cut = "REGEDIT4\n\n[" + kDesktop + "]\n\"Pattern\"=hex:01,02,\\\n  03,\\\n";
    write_file(target, cut);
    std::filesystem::create_directories(std::filesystem::path(store_path).parent_path());
    ASSERT_EQ(::symlink("../../dotfiles/glimmerbox.reg", store_path.c_str()), 0);
    ASSERT_EQ(set("Wallpaper", "/pictures/hill.bmp"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(store_path));
    EXPECT_EQ(read_file_bytes(target), cut + "\n\"Wallpaper\"=\"/pictures/hill.bmp\"\n");
    EXPECT_EQ(read_string_value(kDesktop, "Wallpaper"), "/pictures/hill.bmp");
    EXPECT_EQ(test_support::entries_of((dir / "dotfiles").string()), std::vector<std::string>{"glimmerbox.reg"});
}

TEST(ServicePaths, RelativeXdgFoldersAreIgnored) {
    test_support::ScopedEnv home("HOME", "/home/ana");
    // Given, and the folders taken: a relative one is ignored; the cache folder is given the data folder's value.
    const std::tuple<const char*, const char*, std::string, std::string, std::string> cases[] = {
        {"/cfg", "/dat", "/cfg", "/dat", "/dat"},
        {"rel/cfg", "--bg-fill", "/home/ana/.config", "/home/ana/.local/share", "/home/ana/.cache"},
        {nullptr, "", "/home/ana/.config", "/home/ana/.local/share", "/home/ana/.cache"},
    };
    for (const auto& [config, data, config_home, data_home, cache_home] : cases) {
        test_support::ScopedEnv c("XDG_CONFIG_HOME", config), d("XDG_DATA_HOME", data), e("XDG_CACHE_HOME", data);
        const Services s = real_services();
        EXPECT_EQ(s.settings_store_path, config_home + "/glimmerbox/registry.reg") << data;
        EXPECT_EQ(s.preview_bmp_path, data_home + "/glimmerbox/preview.bmp") << data;
        EXPECT_EQ(s.thumbnail_cache_folder, cache_home + "/thumbnails") << data;
    }
}

}  // namespace
