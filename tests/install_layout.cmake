# Installs the build into a scratch prefix and checks what a desktop needs:
# the program, the menu entry that starts it without arguments, and the icon
# in the hicolor theme at each size.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_layout.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

foreach(f bin/glimmerbox share/applications/glimmerbox.desktop
          share/icons/hicolor/scalable/apps/glimmerbox.svg)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
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

file(STRINGS "${PREFIX}/share/applications/glimmerbox.desktop" entry)
foreach(line "Type=Application" "Name=Glimmerbox" "Exec=glimmerbox" "Icon=glimmerbox"
             "Categories=Graphics;Viewer;")
  list(FIND entry "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the menu entry lacks the line ${line}")
  endif()
endforeach()
message(STATUS "install layout ok under ${PREFIX}")
