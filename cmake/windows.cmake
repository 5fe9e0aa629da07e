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

# --- win-pictures ---
# Picture headers read by our own code and the bitmap file's bytes: plain
# C++, the same as on Linux.
glimmerbox_layer(glimmerbox_platform_picture_bytes platform/pictures SOURCES picture_header.cpp bitmap_file.cpp)
# Until the files layer builds for Windows: its plain text of names only.
if(NOT TARGET glimmerbox_platform_files)
  glimmerbox_layer(glimmerbox_platform_files platform/files SOURCES display_text.cpp LINKS glimmerbox_platform_core)
endif()
# Decoding through WIC within the shared budget, the decoding pool on
# standard threads, cells reduced by WIC's scaler (no thumbnail cache on
# Windows), neighbours and cells decoded ahead as on Linux.
glimmerbox_layer(glimmerbox_platform_pictures platform/pictures
  SOURCES win32/picture.cpp win32/picture_file.cpp win32/picture_decode.cpp win32/wic_decode.cpp
          win32/com.cpp win32/upright.cpp win32/atomic_file.cpp win32/cell_picture.cpp win32/worker_pool.cpp
          decode_budget.cpp picture_prefetch.cpp neighbour_pictures.cpp
  LINKS glimmerbox_platform_picture_bytes glimmerbox_platform_files)
target_link_libraries(glimmerbox_platform_pictures PRIVATE windowscodecs ole32 uuid gdi32 user32)

option(GLIMMERBOX_TESTS "Build the tests" ON)
if(GLIMMERBOX_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
