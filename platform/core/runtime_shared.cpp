// The parts of the run time that are the same on every platform: the message
// box through the services, twips rounding, the end of the program and the
// guard at the boundary where user events arrive.
#include <exception>
#include <string>

#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "words/catalogue.h"

namespace platform {

int msg_box(const std::string& text, MsgIcon icon, MsgButtons buttons, const std::string& title) {
    return services().message_box(MessageBoxRequest{text, icon, buttons, title});
}

int twips_to_px_x(double twips) { return static_cast<int>(round_half_even(twips / twips_per_pixel_x())); }
int twips_to_px_y(double twips) { return static_cast<int>(round_half_even(twips / twips_per_pixel_y())); }
int px_to_twips_x(double px) { return static_cast<int>(round_half_even(px * twips_per_pixel_x())); }
int px_to_twips_y(double px) { return static_cast<int>(round_half_even(px * twips_per_pixel_y())); }

void end_program() { services().end_program(); }

void guarded(const std::function<void()>& event) {
    try {
        event();
    } catch (const Error& e) {
        msg_box(words::say(words::kCouldNotFinish, {e.what()}), MsgIcon::Exclamation);
    } catch (const std::exception& e) {
        msg_box(words::say(words::kUnexpectedProblemWith, {e.what()}), MsgIcon::Critical);
    } catch (...) {
        msg_box(words::say(words::kUnexpectedProblem), MsgIcon::Critical);
    }
}

}  // namespace platform
