#pragma once
// The program's run time: the application object, the event pump, modal
// message boxes, the screen, ending the program, and the guard at the
// boundary where Qt delivers user events.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/services.h"

namespace platform {

// Which platform the toolkit is to run on, and why it could not show a window
// ("cannot open X display \":1\""). Auto Show must see the frame minimised,
// which only X11 tells a client: whenever an X server opens (XWayland
// included) the program runs through it, unless the user set
// QT_QPA_PLATFORM. A Wayland session with no X server runs natively; any
// other platform the user asked for is left to the toolkit.
struct DisplayChoice {
    bool use_x11 = false;  // set QT_QPA_PLATFORM=xcb before the toolkit starts
    std::optional<std::string> problem;
};
DisplayChoice choose_display(std::string_view qpa_platform, std::string_view wayland_display,
                             std::string_view display, const std::function<bool(const std::string&)>& x_opens);

// choose_display on the environment: the problem, if any.
std::optional<std::string> display_problem();
// The same, and sets QT_QPA_PLATFORM when X11 is chosen. Call before
// Application.
std::optional<std::string> settle_display();

// Whether the window system tells the program that one of its windows was
// minimised or restored: X11 does; Wayland never does, as its window protocol
// has no such state. Answers services().reports_minimised when a test set it.
bool window_system_reports_minimised();

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

// When the display goes away, or anything calls exit(), the program ends
// with the status (1 for the display) after removing its temporary files and
// ending its tools, and runs no static destructor under a running thread.
// Call once at start, before Application.
void leave_cleanly_when_display_goes();

// Runs a user event or timer tick: whatever error is left is shown in a
// message box in our own words and the program keeps running.
void guarded(const std::function<void()>& event);

// Runs a function once the current event is finished (used to destroy a
// window from inside one of its own handlers).
void post(std::function<void()> fn);

// Hands memory the program has freed back to the system. The allocator keeps
// freed memory for reuse; after a window of many small pictures goes, that
// would stay resident for the rest of the run.
void release_free_memory();


}  // namespace platform
