#include "wallpaper_fixture.h"

#include <fstream>
#include <sstream>

namespace wallpaper_test {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
    else ::unsetenv(name_.c_str());
}

void WallpaperTest::SetUp() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "glimmerbox-wp-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir = tmpl;
    store_path_ = (dir / "config/glimmerbox/registry.reg").string();
    services.settings_store_path = store_path_;
    services.preview_bmp_path = (dir / "data/glimmerbox/preview.bmp").string();
    services.mount_table_path = "/proc/self/mounts";
    services.message_box = [this](const platform::MessageBoxRequest& r) {
        boxes.push_back(r);
        return platform::kAnswerOk;
    };
    services.run_command = [this](const std::vector<std::string>& argv, int) {
        commands.push_back(argv);
        platform::CommandResult r;
        r.started = true;
        r.exit_code = 0;
        if (const auto it = programs.find(argv.at(0)); it != programs.end()) return it->second(argv);
        if (argv.at(0) == "gsettings" && argv.size() >= 4) {
            const std::string key = argv[2] + " " + argv[3];
            if (argv[1] == "set" && argv.size() == 5) gsettings_[key] = argv[4];
            if (argv[1] == "get" && gsettings_.count(key)) r.output = gsettings_[key] + "\n";
        }
        return r;
    };
    services.desktop_wallpaper = [this](const std::string& path, platform::WallpaperStyle style) {
        wallpapers.emplace_back(path, style);
        return true;
    };
    services.end_program = [] { FAIL() << "end_program called"; };
    platform::install_services(services);
}

void WallpaperTest::TearDown() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

void WallpaperTest::make_store_unwritable() {
    write_file((dir / "blocker").string(), "a regular file");
    store_path_ = (dir / "blocker/glimmerbox/registry.reg").string();
    services.settings_store_path = store_path_;
    platform::install_services(services);
}

}  // namespace wallpaper_test
