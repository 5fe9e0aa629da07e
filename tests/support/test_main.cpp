// Entry point of every test program: the application object as the program makes it, then the tests.
#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/files/start_folder.h"
#include "platform/pictures/picture.h"

int main(int argc, char** argv) {
    // Tests never draw on the real desktop.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    platform::settle_start_folder();
    platform::Application app(argv[0]);
    platform::configure_picture_decoding();
    // Tests never touch the user's thumbnail cache; the cache's own tests name their own folder.
    platform::Services services = platform::services();
    services.thumbnail_cache_folder.clear();
    platform::install_services(services);
    return RUN_ALL_TESTS();
}
