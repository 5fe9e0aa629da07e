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
# The icon (made from the PNGs at build time) and the application manifest
# (UTF-8 as the narrow code page, common controls 6, DPI aware), for the
# program and for the tests that run its windows.
enable_language(RC)
find_program(CONVERT convert REQUIRED)
set(GLIMMERBOX_ICO ${CMAKE_BINARY_DIR}/glimmerbox.ico)
set(GLIMMERBOX_MANIFEST ${CMAKE_SOURCE_DIR}/app/main/win32/glimmerbox.manifest)
add_custom_command(OUTPUT ${GLIMMERBOX_ICO}
  COMMAND ${CONVERT} ${CMAKE_SOURCE_DIR}/data/icons/glimmerbox-16.png ${CMAKE_SOURCE_DIR}/data/icons/glimmerbox-32.png
          ${CMAKE_SOURCE_DIR}/data/icons/glimmerbox-48.png ${GLIMMERBOX_ICO}
  DEPENDS ${CMAKE_SOURCE_DIR}/data/icons/glimmerbox-16.png ${CMAKE_SOURCE_DIR}/data/icons/glimmerbox-32.png
          ${CMAKE_SOURCE_DIR}/data/icons/glimmerbox-48.png)
configure_file(app/main/win32/glimmerbox.rc.in ${CMAKE_BINARY_DIR}/glimmerbox.rc @ONLY)
add_library(glimmerbox_resources OBJECT ${CMAKE_BINARY_DIR}/glimmerbox.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/glimmerbox.rc PROPERTIES
  OBJECT_DEPENDS "${GLIMMERBOX_ICO};${GLIMMERBOX_MANIFEST}")

# The windows and the program, once the pictures and desktop layers of this
# build are in the tree (the same libraries as the Linux build).
if(TARGET glimmerbox_platform_pictures AND TARGET glimmerbox_platform_desktop)
  glimmerbox_layer(glimmerbox_app_state app/state SOURCES windows.cpp LINKS glimmerbox_platform_runtime)
  glimmerbox_layer(glimmerbox_wallpaper wallpaper
    SOURCES registry_routines.cpp wallpaper_style.cpp
    LINKS glimmerbox_wallpaper_paths glimmerbox_platform_store glimmerbox_platform_runtime)
  glimmerbox_layer(glimmerbox_rename rename
    SOURCES frm_new_name.cpp refusal_text.cpp window_ref.cpp
    LINKS glimmerbox_app_state glimmerbox_platform_controls)
  glimmerbox_layer(glimmerbox_thumbnails thumbnails
    SOURCES frm_thumbnails.cpp frm_progress.cpp grid.cpp page_loader.cpp paging.cpp window_refs.cpp
    LINKS glimmerbox_app_state glimmerbox_platform_controls)
  glimmerbox_layer(glimmerbox_browser browser
    SOURCES frm_bmp_view.cpp main_browser.cpp navigation.cpp action_selector.cpp image_display.cpp
            full_window.cpp auto_show.cpp file_keys.cpp rename_request.cpp load_wallpaper.cpp
    LINKS glimmerbox_thumbnails glimmerbox_rename glimmerbox_wallpaper glimmerbox_platform_desktop)
  glimmerbox_layer(glimmerbox_app app/frame
    SOURCES mdi_form.cpp startup.cpp windows.cpp LINKS glimmerbox_browser)
  # A GUI program (-mwindows); the C run time still starts it at main().
  add_executable(glimmerbox WIN32 app/main/main.cpp $<TARGET_OBJECTS:glimmerbox_resources>)
  target_link_libraries(glimmerbox PRIVATE glimmerbox_app)
endif()
# --- end win-gui ---

option(GLIMMERBOX_TESTS "Build the tests" ON)
if(GLIMMERBOX_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
