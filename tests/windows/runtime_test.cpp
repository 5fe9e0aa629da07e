// The run time under Wine, and the GUI tests' entry: post from any thread
// runs on the window thread once the current event is done; the manifest;
// the real message box; the guard behind a real notification. (The screen and
// twips show in every end-to-end position.)
#include "gui_env.h"  // <windows.h> first

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/core/error.h"
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
    EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr);
    // A name beyond the old code pages, through a narrow call and back: UTF-8 is the code page.
    wintest::TempFolder dir;
    const std::string name = "glimmerbox-\xc3\xa9t\xc3\xa9-\xe6\xa1\x9c.txt";
    CloseHandle(CreateFileA(dir.at(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{name});
}

// (With the application's title, the end-to-end rename shows the real box.)
TEST_F(Runtime, TheRealMessageBoxCarriesItsTitleAndGivesTheAnswer) {
    // Answers No to the box of that title once it is up, Yes to any other box.
    std::thread answer([] {
        HWND box = nullptr;
        for (int i = 0; i < 500 && !box; ++i, Sleep(10)) box = FindWindowA("#32770", "New File Name");
        PostMessageA(box ? box : FindWindowA("#32770", nullptr), WM_COMMAND, box ? IDNO : IDYES, 0);
    });
    EXPECT_EQ(show_message_box({"Delete it?", MsgIcon::Question, MsgButtons::YesNo, "New File Name"}), kAnswerNo);
    answer.join();
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

// One application for every test, as in the program.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    platform::Application app("test_windows_gui");
    return RUN_ALL_TESTS();
}
