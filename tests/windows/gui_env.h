#pragma once
// The fixture of the Windows GUI tests: a form, handlers that note their
// events (the end of the program too), message boxes recorded through the
// services (no real box), and a wait that serves the message loop until an
// effect shows.
#include "temp_folder.h"  // <windows.h> first

#include <functional>

#include "platform/controls/form.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"

namespace wintest {

class GuiTest : public testing::Test {
protected:
    void SetUp() override {
        platform::Services s = platform::environment_services();
        s.message_box = [this](const platform::MessageBoxRequest& r) {
            boxes.push_back(r);
            return platform::kAnswerOk;
        };
        s.end_program = [this] { events.push_back("end of program"); };
        platform::install_services(s);
    }

    // Serves messages until the condition holds; false after five seconds.
    template <class Condition>
    static bool eventually(Condition condition) {
        return test_support::eventually([&] {
            platform::DoEvents();
            return condition();
        });
    }
    // A handler that notes what happened in `events`.
    std::function<void()> record(const std::string& what) {
        return [this, what] { events.push_back(what); };
    }
    // The notification the system's control sends its form.
    void notify(platform::Control& c, WORD code) {
        HWND w = c.widget();
        SendMessageA(form.client(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w), code), reinterpret_cast<LPARAM>(w));
    }

    platform::Form form{platform::FormKind::TopLevel};
    std::vector<std::string> events;
    std::vector<platform::MessageBoxRequest> boxes;
};

}  // namespace wintest
