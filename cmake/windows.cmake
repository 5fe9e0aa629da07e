# The Windows build: the same windows and handlers over the Win32 backend of
# the platform layer (the files under platform/*/win32/), without Qt. Built
# with the toolchains in cmake/toolchains (the win64 and win32 presets) and
# tested under Wine.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# One file to copy: the C and C++ run times and the thread library linked in,
# so the program needs no DLL beyond the system's.
add_link_options(-static)

# The platform layer, lowest first. The pure parts shared with Linux:
glimmerbox_layer(glimmerbox_platform_store_text platform/store SOURCES store_text.cpp
  LINKS glimmerbox_platform_core)
glimmerbox_layer(glimmerbox_registry_paths registry SOURCES registry_paths.cpp
  LINKS glimmerbox_platform_core)

# --- win-base ---
# Errors, types, the services table with the Windows places, temporary
# files and leaving at once.
glimmerbox_layer(glimmerbox_platform_core platform/core
  SOURCES services.cpp temp_file_name.cpp temp_file_record.cpp win32/environment_services.cpp win32/leaving.cpp
          win32/system_error.cpp LINKS glimmerbox_words)
# Paths, listing and patterns, delete and rename, atomic writes, drive
# letters, the start folder (the pure parts shared with Linux).
glimmerbox_layer(glimmerbox_platform_files platform/files
  SOURCES name_rules.cpp display_text.cpp file_uri.cpp win32/files.cpp win32/drives.cpp
          win32/start_folder.cpp start_folder_rules.cpp drive_folders.cpp
  LINKS glimmerbox_platform_core)
# The real registry.
glimmerbox_layer(glimmerbox_platform_store platform/store SOURCES win32/registry.cpp
  LINKS glimmerbox_platform_core)
# The system's wallpaper call.
glimmerbox_layer(glimmerbox_platform_desktop platform/desktop SOURCES win32/desktop_wallpaper.cpp
  LINKS glimmerbox_platform_store)
# The hand-off queue and the real services need the pictures layer (the
# preview bitmap) and the run time (post, message boxes), which the blocks
# below make: they join the desktop layer in a call deferred to the end of
# the configuration.
function(glimmerbox_desktop_handoff)
  if(TARGET glimmerbox_platform_pictures AND TARGET glimmerbox_platform_runtime)
    target_sources(glimmerbox_platform_desktop PRIVATE
      ${CMAKE_SOURCE_DIR}/platform/desktop/handoff_queue.cpp
      ${CMAKE_SOURCE_DIR}/platform/desktop/win32/wallpaper_handoff.cpp
      ${CMAKE_SOURCE_DIR}/platform/desktop/win32/real_services.cpp)
    target_link_libraries(glimmerbox_platform_desktop PUBLIC glimmerbox_platform_pictures
                          glimmerbox_platform_runtime)
  else()
    message(STATUS "Windows desktop layer without its hand-off queue: no pictures layer or run time yet")
  endif()
endfunction()
cmake_language(DEFER CALL glimmerbox_desktop_handoff)

# --- win-pictures ---
# Picture headers read by our own code and the bitmap file's bytes: plain
# C++, the same as on Linux.
glimmerbox_layer(glimmerbox_platform_picture_bytes platform/pictures SOURCES picture_header.cpp bitmap_file.cpp
  LINKS glimmerbox_words)
# Decoding through WIC within the shared budget, the decoding pool on
# standard threads, cells reduced by WIC's scaler (no thumbnail cache on
# Windows), neighbours and cells decoded ahead as on Linux.
glimmerbox_layer(glimmerbox_platform_pictures platform/pictures
  SOURCES win32/picture.cpp win32/picture_file.cpp win32/picture_decode.cpp win32/wic_decode.cpp
          win32/com.cpp win32/upright.cpp win32/cell_picture.cpp win32/worker_pool.cpp
          decode_budget.cpp picture_prefetch.cpp neighbour_pictures.cpp
  LINKS glimmerbox_platform_picture_bytes glimmerbox_platform_files)
target_link_libraries(glimmerbox_platform_pictures PRIVATE windowscodecs ole32 uuid gdi32 user32)

# --- win-gui ---
# The run time: the message loop, DoEvents, message boxes, the screen, post.
glimmerbox_layer(glimmerbox_platform_runtime platform/core
  SOURCES win32/runtime.cpp runtime_shared.cpp LINKS glimmerbox_platform_core)
target_link_libraries(glimmerbox_platform_runtime PRIVATE comctl32)
# The classic controls and forms over the system's windows; pictures and
# labels have no window each but are drawn by their form.
glimmerbox_layer(glimmerbox_platform_controls platform/controls
  SOURCES win32/control.cpp win32/form.cpp win32/cells.cpp win32/lists.cpp win32/combo_boxes.cpp
          win32/picture_box.cpp win32/scroll_bar.cpp dir_list_state.cpp file_list_state.cpp
          scroll_bar_values.cpp drive_list_state.cpp control_geometry.cpp
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
  include(cmake/upper_layers.cmake)
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
