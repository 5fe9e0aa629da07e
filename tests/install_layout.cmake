# Installs the build into a scratch prefix and checks what a desktop needs:
# the program, the menu entry that starts it without arguments, the icon in
# the hicolor theme at each size, the metainfo software centres read, the
# manual page, the changelog and the copyright file.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_layout.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(app_id io.github.glimmerbox.Glimmerbox)
set(entry_file share/applications/${app_id}.desktop)
foreach(f bin/glimmerbox ${entry_file} share/metainfo/${app_id}.metainfo.xml
          share/icons/hicolor/scalable/apps/glimmerbox.svg share/doc/glimmerbox/copyright)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The manual page and the changelog go in gzip-compressed.
foreach(f share/man/man1/glimmerbox.1.gz share/doc/glimmerbox/changelog.gz)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
  file(READ "${PREFIX}/${f}" magic LIMIT 2 HEX)
  if(NOT magic STREQUAL "1f8b")
    message(FATAL_ERROR "${f} is not gzip-compressed")
  endif()
endforeach()
# Software centres find the menu entry through the metainfo's id.
file(READ "${PREFIX}/share/metainfo/${app_id}.metainfo.xml" metainfo)
if(NOT metainfo MATCHES "<id>${app_id}</id>"
   OR NOT metainfo MATCHES "<launchable type=\"desktop-id\">${app_id}.desktop</launchable>"
   OR NOT metainfo MATCHES "<binary>glimmerbox</binary>")
  message(FATAL_ERROR "the metainfo does not name ${app_id}, its menu entry and the program")
endif()
file(STRINGS "${PREFIX}/share/doc/glimmerbox/copyright" copyright LIMIT_COUNT 1)
if(NOT copyright MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
  message(FATAL_ERROR "the copyright file is not in the machine-readable format")
endif()
file(READ "${PREFIX}/bin/glimmerbox" magic LIMIT 4 HEX)
execute_process(COMMAND test -x "${PREFIX}/bin/glimmerbox" RESULT_VARIABLE not_executable)
if(NOT magic STREQUAL "7f454c46" OR NOT not_executable EQUAL 0)
  message(FATAL_ERROR "bin/glimmerbox is not an executable program")
endif()

# Each PNG holds a square picture of its folder's size (width and height from
# the IHDR chunk).
foreach(size 16 32 48)
  set(png "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/glimmerbox.png")
  if(NOT EXISTS "${png}")
    message(FATAL_ERROR "not installed: ${png}")
  endif()
  file(READ "${png}" header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  string(SUBSTRING "${header}" 32 8 width_hex)
  string(SUBSTRING "${header}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${png} is not a ${size} x ${size} PNG (${signature}, ${width} x ${height})")
  endif()
endforeach()

file(STRINGS "${PREFIX}/${entry_file}" entry)
foreach(line "Type=Application" "Name=Glimmerbox" "Exec=glimmerbox" "Icon=glimmerbox"
             "Categories=Graphics;Viewer;")
  list(FIND entry "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the menu entry lacks the line ${line}")
  endif()
endforeach()
message(STATUS "install layout ok under ${PREFIX}")
