// Glimmerbox: a picture browser and wallpaper changer. Any command-line
// arguments are ignored.
#include <cstdio>

#include "app/frame/startup.h"
#include "platform/core/runtime.h"
#include "platform/desktop/real_services.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"

int main(int argc, char** argv) {
    // Recorded before anything else, while the current folder is the one the
    // program was started in.
    platform::settle_start_folder();
    if (const auto problem = platform::settle_display()) {
        std::fprintf(stderr, "glimmerbox: %s\n", problem->c_str());
        return 1;
    }
    platform::leave_cleanly_when_display_goes();
    platform::Application app(argc > 0 ? argv[0] : nullptr);
    platform::install_services(platform::real_services());
    // Temporary files of an earlier run that ended mid-write; the thumbnail
    // cache's folders are swept on their first write, off this thread.
    platform::sweep_stale_temp_files_beside(platform::services().preview_bmp_path);
    platform::sweep_stale_temp_files_beside(platform::services().settings_store_path);
    prepare_glimmerbox();
    start_glimmerbox();
    return app.run();
}
