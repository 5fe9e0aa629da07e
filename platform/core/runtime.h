#pragma once
// The program's run time: the application object, the event pump, modal
// message boxes, the screen, ending the program, and the guard at the
// boundary where Qt delivers user events.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/core/services.h"

namespace platform {

// Why the toolkit could not show a window, in one line ("cannot open X
// display \":1\""); nothing when it can. Only an X11 display is checked, and
// only when the toolkit would use X11: another platform asked for through
// QT_QPA_PLATFORM, or a Wayland session, is left to the toolkit.
std::optional<std::string> display_problem();

// Owns the toolkit's application object and settles the start folder.
// Create one before any window. The toolkit sees only the program's name:
// the program has no options, and the toolkit's own (-reverse, -platform,
// -style, ...) are ignored like any other argument.
class Application {
public:
    explicit Application(const char* program_name);
    ~Application();
    int run();  // the event loop, until the program ends

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Gives every window of the program its icon (done by Application).
void set_application_icon();

// Serves all pending events once and returns.
void DoEvents();

// The real message box: a modal QMessageBox; returns the answer.
int show_message_box(const MessageBoxRequest& r);

// A modal message box through services().message_box.
int msg_box(const std::string& text, MsgIcon icon = MsgIcon::None,
            MsgButtons buttons = MsgButtons::Ok, const std::string& title = "");

// The whole screen in twips, and the twips of one pixel.
int screen_width_twips();
int screen_height_twips();
double twips_per_pixel_x();
double twips_per_pixel_y();

// Twips to whole pixels and back, rounded halves to even.
int twips_to_px_x(double twips);
int twips_to_px_y(double twips);
int px_to_twips_x(double px);
int px_to_twips_y(double px);

// Ends the program at once; no unload step runs and nothing is saved.
void end_program();

// Runs a user event or timer tick: whatever error is left is shown in a
// message box in our own words and the program keeps running.
void guarded(const std::function<void()>& event);

// Runs a function once the current event is finished (used to destroy a
// window from inside one of its own handlers).
void post(std::function<void()> fn);

// The application's title for message boxes without one of their own.
inline constexpr const char* kAppTitle = "Glimmerbox";

}  // namespace platform
