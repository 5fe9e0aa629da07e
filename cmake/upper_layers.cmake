# The windows and handlers above the platform layer, lowest first, over
# either system's backend (included by the Linux build and by
# cmake/windows.cmake). The shared state and the window references; a
# reference is defined with its window, and the procedures that reach a
# window further up (the frame's form, main_browser's Restore_Dir) are set
# by prepare_glimmerbox at start.
glimmerbox_layer(glimmerbox_app_state app/state
  SOURCES wired_calls.cpp LINKS glimmerbox_platform_runtime)
# The registry routines (a string value written by its key path in text,
# the user told of a failure) and the wallpaper style written through them.
glimmerbox_layer(glimmerbox_registry registry
  SOURCES registry_routines.cpp wallpaper_style.cpp
  LINKS glimmerbox_registry_paths glimmerbox_platform_store glimmerbox_platform_runtime)
glimmerbox_layer(glimmerbox_rename rename
  SOURCES frm_new_name.cpp refusal_text.cpp window_ref.cpp
  LINKS glimmerbox_app_state glimmerbox_platform_controls)
glimmerbox_layer(glimmerbox_thumbnails thumbnails
  SOURCES frm_thumbnails.cpp frm_progress.cpp grid.cpp page_loader.cpp paging.cpp window_refs.cpp
  LINKS glimmerbox_app_state glimmerbox_platform_controls)
glimmerbox_layer(glimmerbox_browser browser
  SOURCES frm_bmp_view.cpp main_browser.cpp navigation.cpp action_selector.cpp image_display.cpp
          full_window.cpp auto_show.cpp file_keys.cpp rename_request.cpp load_wallpaper.cpp
  LINKS glimmerbox_thumbnails glimmerbox_rename glimmerbox_registry glimmerbox_platform_desktop)
# The frame window and the wiring of the windows.
glimmerbox_layer(glimmerbox_app app/frame
  SOURCES mdi_form.cpp startup.cpp frame_ref.cpp LINKS glimmerbox_browser)
