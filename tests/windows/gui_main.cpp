// The GUI tests' entry: one application for every test, as in the program.
#include <gtest/gtest.h>

#include "platform/core/runtime.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    platform::Application app("test_windows_gui");
    return RUN_ALL_TESTS();
}
