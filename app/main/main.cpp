// Glimmerbox: a picture browser and wallpaper changer. Any command-line
// arguments are ignored.
#include "app/frame/startup.h"
#include "platform/core/runtime.h"

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    start_glimmerbox();
    return app.run();
}
