// How the desktop knows the program: its name, and its own icon in every window, drawn for each size,
// installed or not; also when it is started with an empty name (as the kernel starts one given none).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>

#include "support/recording.h"

extern char** environ;

namespace {

TEST(AppIdentity, NameAndAnIconDrawnForEachSizeAWindowShowsItAt) {
    // The window system names its windows after it.
    EXPECT_FALSE(QCoreApplication::arguments().value(0).isEmpty());
    EXPECT_EQ(QGuiApplication::windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
}

// This test program started again with an empty name: it starts, and the checks above hold.
TEST(AppIdentity, StartedWithAnEmptyName) {
    test_support::ScopedEnv only("GTEST_FILTER", "AppIdentity.NameAnd*");
    char empty[] = "";
    char* const no_name[] = {empty, nullptr};
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    ASSERT_EQ(::posix_spawn(&child, "/proc/self/exe", &quiet, nullptr, no_name, environ), 0);
    ::posix_spawn_file_actions_destroy(&quiet);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
