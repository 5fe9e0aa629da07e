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
glimmerbox_layer(glimmerbox_wallpaper_paths wallpaper SOURCES registry_paths.cpp
  LINKS glimmerbox_platform_core)

# --- win-base ---
# Errors, types, the services table with the Windows places, temporary
# files and leaving at once.
glimmerbox_layer(glimmerbox_platform_core platform/core
  SOURCES services.cpp temp_file_name.cpp win32/environment_services.cpp win32/leaving.cpp
          win32/system_error.cpp)
# Paths, listing and patterns, delete and rename, atomic writes, drive
# letters, the start folder (the pure parts shared with Linux).
glimmerbox_layer(glimmerbox_platform_files platform/files
  SOURCES name_rules.cpp display_text.cpp file_uri.cpp win32/files.cpp win32/drives.cpp
          win32/start_folder.cpp
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
glimmerbox_layer(glimmerbox_platform_picture_bytes platform/pictures SOURCES picture_header.cpp bitmap_file.cpp)
# Decoding through WIC within the shared budget, the decoding pool on
# standard threads, cells reduced by WIC's scaler (no thumbnail cache on
# Windows), neighbours and cells decoded ahead as on Linux.
glimmerbox_layer(glimmerbox_platform_pictures platform/pictures
  SOURCES win32/picture.cpp win32/picture_file.cpp win32/picture_decode.cpp win32/wic_decode.cpp
          win32/com.cpp win32/upright.cpp win32/cell_picture.cpp win32/worker_pool.cpp
          decode_budget.cpp picture_prefetch.cpp neighbour_pictures.cpp
  LINKS glimmerbox_platform_picture_bytes glimmerbox_platform_files)
target_link_libraries(glimmerbox_platform_pictures PRIVATE windowscodecs ole32 uuid gdi32 user32)

option(GLIMMERBOX_TESTS "Build the tests" ON)
if(GLIMMERBOX_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
