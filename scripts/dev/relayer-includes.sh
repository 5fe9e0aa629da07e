#!/usr/bin/env bash
# Rewrites the includes of headers that moved into the layered folders
# (platform/core, platform/files, ... app/state, app/frame) to their new
# paths. Idempotent: a path already rewritten is left alone. With no
# arguments it rewrites every C++ file of the tree; otherwise the files given.
#   scripts/dev/relayer-includes.sh              # the whole tree
#   scripts/dev/relayer-includes.sh a.cpp b.h    # just these
set -euo pipefail
cd "$(dirname "$0")/../.."

moves=(
  platform/error.h:platform/core/error.h
  platform/types.h:platform/core/types.h
  platform/services.h:platform/core/services.h
  platform/runtime.h:platform/core/runtime.h
  platform/files.h:platform/files/files.h
  platform/drives.h:platform/files/drives.h
  platform/registry.h:platform/store/registry.h
  platform/picture.h:platform/pictures/picture.h
  platform/picture_data.h:platform/pictures/picture_data.h
  platform/exif_thumbnail.h:platform/pictures/exif_thumbnail.h
  platform/cell_picture.h:platform/pictures/cell_picture.h
  platform/picture_prefetch.h:platform/pictures/picture_prefetch.h
  platform/desktop_wallpaper.h:platform/desktop/desktop_wallpaper.h
  platform/wallpaper_tools.h:platform/desktop/wallpaper_tools.h
  platform/controls.h:platform/controls/controls.h
  platform/form.h:platform/controls/form.h
  platform/widget_util.h:platform/controls/widget_util.h
  app/module1.h:app/state/module1.h
  app/window_ref.h:app/state/window_ref.h
  app/windows.h:app/state/windows.h
  app/mdi_form.h:app/frame/mdi_form.h
  app/startup.h:app/frame/startup.h
  platform/start_folder.h:platform/files/start_folder.h
  platform/decode_budget.h:platform/pictures/decode_budget.h
  platform/list_widget.h:platform/controls/list_widget.h
)

script=""
for m in "${moves[@]}"; do
  old=${m%%:*}
  new=${m#*:}
  script+="s|#include \"${old//./\\.}\"|#include \"${new}\"|;"
done

if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
fi
[ ${#files[@]} -gt 0 ] && sed -i -e "$script" "${files[@]}"
