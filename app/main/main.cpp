// Glimmerbox: a picture browser and wallpaper changer. Any command-line
// arguments are ignored.
#include "app/startup.h"
#include "platform/runtime.h"

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    start_glimmerbox();
    return app.run();
}
