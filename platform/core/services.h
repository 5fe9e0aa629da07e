#pragma once
// Everything the platform layer takes from outside the process, bundled so
// that a test can replace it: message boxes, the desktop wallpaper backend,
// where files live, the mount table and how the program ends.
#include <functional>
#include <string>
#include <vector>

namespace platform {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo };
// Answers of a message box.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

struct MessageBoxRequest {
    std::string text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    std::string title;  // empty: the application's title
};

enum class WallpaperStyle { Centered, Tiled };

// Result of running an external program.
struct CommandResult {
    bool started = false;    // false: the program could not be started
    bool timed_out = false;  // killed after the time limit
    int exit_code = -1;
    std::string output;      // standard output
};
using CommandRunner =
    std::function<CommandResult(const std::vector<std::string>& argv, int timeout_ms)>;

struct Services {
    // Shows a modal message box and returns the answer (kAnswerOk, ...).
    std::function<int(const MessageBoxRequest&)> message_box;
    // Applies a picture file as the running desktop's wallpaper; false when
    // nothing could apply it.
    std::function<bool(const std::string& path, WallpaperStyle style)> desktop_wallpaper;
    // Runs external programs (argument vectors, never a shell).
    CommandRunner run_command;
    // The settings store file (REGEDIT4 text); empty on Windows, whose
    // settings are the real registry's.
    std::string settings_store_path;
    // The mount table listing the drives (/proc/self/mounts format); not
    // read on Windows, whose drives are its drive letters.
    std::string mount_table_path;
    // Where GIF and JPG pictures are converted for the wallpaper: on Windows
    // C:\preview.bmp where the user may create files in the root of drive C,
    // else %LOCALAPPDATA%\Glimmerbox\preview.bmp.
    std::string preview_bmp_path;
    // The desktop's shared thumbnail cache ($XDG_CACHE_HOME/thumbnails, with
    // normal/, large/ and fail/ below it); empty: no cache is read or written.
    std::string thumbnail_cache_folder;
    // Ends the program at once, without unload steps. Never returns in the
    // real program; a test records the call.
    std::function<void()> end_program;
    // Whether the window system tells a window that it was minimised; empty:
    // answered from the toolkit's platform (see window_system_reports_minimised).
    std::function<bool()> reports_minimised;
};

// Where files live in a real run, from the environment (HOME, XDG_*; on
// Windows LOCALAPPDATA), and the real end of the program; the rest is empty until the program installs
// real_services() (platform/desktop/real_services.h) at start.
Services environment_services();

// The services in force. Tests install their own before creating windows.
const Services& services();
void install_services(Services s);

}  // namespace platform
