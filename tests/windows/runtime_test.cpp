// The run time under Wine: post from any thread runs on the window thread
// once the current event is done; the manifest; the real message box; the
// guard behind a real notification. (The screen and twips show in every
// end-to-end position.)
#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "gui_env.h"
#include "platform/core/error.h"
#include "temp_folder.h"
#include "words/catalogue.h"

using namespace platform;

namespace {

using Runtime = wintest::GuiTest;

TEST_F(Runtime, PostRunsOnTheWindowThreadOnceTheCurrentEventIsDone) {
    const DWORD window_thread = GetCurrentThreadId();
    std::atomic<DWORD> ran_on{0};
    std::thread([&] { post([&] { ran_on = GetCurrentThreadId(); }); }).join();
    EXPECT_EQ(ran_on.load(), 0u);  // not inside post
    ASSERT_TRUE(eventually([&] { return ran_on.load() != 0; }));
    EXPECT_EQ(ran_on.load(), window_thread);
    // What a posted function leaves is shown, and the loop goes on.
    post([] { throw Error(err::kFileNotFound, words::kCannotOpenPlain, {"gone"}); });
    ASSERT_TRUE(eventually([&] { return !boxes.empty(); }));
    EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
}

TEST_F(Runtime, TheManifestMakesTheNarrowCallsUtf8AndGivesTheIcon) {
    EXPECT_EQ(GetACP(), 65001u);
    EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr);
    // A name beyond the old code pages, through a narrow call and back.
    wintest::TempFolder dir;
    const std::string name = "glimmerbox-\xc3\xa9t\xc3\xa9-\xe6\xa1\x9c.txt";
    CloseHandle(CreateFileA(dir.at(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{name});
}

// The real box, answered by a hook as soon as it is up.
std::string g_box_title;
LRESULT CALLBACK answer_no(int code, WPARAM wp, LPARAM lp) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        char title[64] = {};
        GetWindowTextA(call->hwnd, title, sizeof title);
        g_box_title = title;
        PostMessageA(call->hwnd, WM_COMMAND, IDNO, 0);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// (With the application's title, the end-to-end rename shows the real box.)
TEST_F(Runtime, TheRealMessageBoxCarriesItsTitleAndGivesTheAnswer) {
    const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, answer_no, nullptr, GetCurrentThreadId());
    EXPECT_EQ(show_message_box({"Delete it?", MsgIcon::Question, MsgButtons::YesNo, "New File Name"}), kAnswerNo);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_box_title, "New File Name");
}

TEST_F(Runtime, AButtonClickThatFailsIsShownInOurWordsAndTheProgramGoesOn) {
    auto& button = form.add<CommandButton>("cmd");
    button.on_click = [] { throw std::runtime_error("disk on fire"); };
    notify(button, BN_CLICKED);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(boxes[0].text, "Glimmerbox met an unexpected problem.\n\ndisk on fire");
    EXPECT_EQ(boxes[0].title, "");  // shown with the application's title
    EXPECT_EQ(events, std::vector<std::string>{});
}

}  // namespace
