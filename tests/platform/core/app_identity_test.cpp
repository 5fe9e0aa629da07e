// How the desktop knows the program: its name, and its own icon in every window, drawn for each size,
// installed or not; also when it is started with an empty name (as the kernel starts one given none).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>

extern char** environ;

namespace {

TEST(AppIdentity, NameAndAnIconDrawnForEachSizeAWindowShowsItAt) {
    EXPECT_EQ(QGuiApplication::applicationName(), "Glimmerbox");
    // The window system names its windows after it.
    EXPECT_FALSE(QCoreApplication::arguments().value(0).isEmpty());
    EXPECT_EQ(QGuiApplication::windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
}

// This test program started again with an empty name: it starts, and the checks above hold.
TEST(AppIdentity, StartedWithAnEmptyName) {
    std::string filter = "GTEST_FILTER=AppIdentity.NameAnd*";
    std::vector<char*> env{filter.data()};
    for (char** e = environ; *e; ++e) env.push_back(*e);
    env.push_back(nullptr);
    char empty[] = "";
    char* const no_name[] = {empty, nullptr};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(::open("/dev/null", O_WRONLY), 1);
        ::execve("/proc/self/exe", no_name, env.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
