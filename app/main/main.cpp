// Glimmerbox: a picture browser and wallpaper changer. Any command-line
// arguments are ignored.
#include "app/frame/startup.h"
#include "platform/core/runtime.h"
#include "platform/desktop/real_services.h"
#include "platform/pictures/picture.h"

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    platform::configure_picture_decoding();
    platform::install_services(platform::real_services());
    wire_windows();
    start_glimmerbox();
    return app.run();
}
