# The Windows build: the same windows and handlers over the Win32 backend of
# the platform layer (the files under platform/*/win32/), without Qt. Built
# with the toolchains in cmake/toolchains (the win64 and win32 presets) and
# tested under Wine.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# One file to copy: the C and C++ run times and the thread library linked in,
# so the program needs no DLL beyond the system's.
add_link_options(-static)

# The platform layer, lowest first: only what is shared with Linux so far.
glimmerbox_layer(glimmerbox_platform_core platform/core SOURCES services.cpp)
glimmerbox_layer(glimmerbox_platform_store_text platform/store SOURCES store_text.cpp
  LINKS glimmerbox_platform_core)
glimmerbox_layer(glimmerbox_wallpaper_paths wallpaper SOURCES registry_paths.cpp
  LINKS glimmerbox_platform_core)

# --- win-gui ---
# The run time: the message loop, DoEvents, message boxes, the screen, post.
glimmerbox_layer(glimmerbox_platform_runtime platform/core
  SOURCES win32/runtime.cpp runtime_shared.cpp LINKS glimmerbox_platform_core)
target_link_libraries(glimmerbox_platform_runtime PRIVATE comctl32)
# The classic controls and forms over the system's windows; pictures and
# labels have no window each but are drawn by their form.
glimmerbox_layer(glimmerbox_platform_controls platform/controls
  SOURCES win32/control.cpp win32/form.cpp win32/cells.cpp win32/lists.cpp win32/combo_boxes.cpp
          win32/picture_box.cpp win32/scroll_bar.cpp
  LINKS glimmerbox_platform_pictures glimmerbox_platform_files glimmerbox_platform_runtime)
target_link_libraries(glimmerbox_platform_controls PRIVATE comctl32 gdi32)
# --- end win-gui ---

option(GLIMMERBOX_TESTS "Build the tests" ON)
if(GLIMMERBOX_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
