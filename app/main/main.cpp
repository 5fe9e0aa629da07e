// Glimmerbox: a picture browser and wallpaper changer. Any command-line
// arguments are ignored.
#include <cstdio>

#include "app/startup.h"
#include "platform/runtime.h"

int main(int argc, char** argv) {
    if (const auto problem = platform::display_problem()) {
        std::fprintf(stderr, "glimmerbox: %s\n", problem->c_str());
        return 1;
    }
    platform::Application app(argc > 0 ? argv[0] : nullptr);
    start_glimmerbox();
    return app.run();
}
