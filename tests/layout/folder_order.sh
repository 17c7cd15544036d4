#!/usr/bin/env bash
# The folders of src/ depend one way, in this order; a file may include its
# own folder's headers and those of the folders before it, nothing after:
#   core <- model/platform <- model/calendar <- model/messages <- model/config
#   <- model/recorder <- gui/platform <- gui/headline <- gui/dialogs
#   <- gui/messages <- gui/recorder, gui/monitor <- app, launcher
# (the layers' libraries check the same at link time, a layer at a time).
set -euo pipefail
src=${1:?usage: folder_order.sh SRC_DIR}
order=(core model/platform model/calendar model/messages model/config model/recorder gui/platform gui/headline
       gui/dialogs gui/messages "gui/recorder gui/monitor" "app launcher")
status=0
allowed=()
for rank in "${order[@]}"; do
  for folder in $rank; do
    files=$(find "$src/$folder" "$src/$folder".h "$src/$folder".cpp -maxdepth 2 -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null || true)
    for f in $files; do
      while IFS= read -r included; do
        ok=0
        for a in "${allowed[@]}" $folder; do
          case "$included" in "$a"/* | "$a".h) ok=1 ;; esac
        done
        if [ "$ok" = 0 ]; then
          echo "folder order: ${f#"$src"/} includes $included"
          status=1
        fi
      done < <(sed -n 's/^#include "\(\(core\|model\|gui\|app\)\/[^"]*\)".*/\1/p' "$f")
    done
  done
  allowed+=($rank)
done
[ "$status" = 0 ] && echo "folder order: every include goes down"
exit "$status"
