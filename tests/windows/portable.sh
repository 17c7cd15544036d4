#!/usr/bin/env bash
# The portable zip under Wine, as an operator who may install nothing uses
# it: unzipped, it is one folder uPVelmora\ with the program, the command
# tool, their DLLs and plugins and the starter file uPVelmora.conf.example,
# and no uPVelmora.conf
# that an update could overwrite; the example copied to uPVelmora.conf, the
# program started in that folder shows its window, announces the entry due
# at the next minute (pop-up, and the record at the stand-in recorder), and
# ends on the close command with the file saved beside it.
#
# Usage: tests/windows/portable.sh PORTABLE.zip TOOLS_FOLDER
# TOOLS_FOLDER holds uPCorvane.exe and slotsend.exe with their DLLs.  The
# environment is that of tests/windows/run.sh.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PORTABLE.zip TOOLS_FOLDER" >&2; exit 2; }
zip=$(readlink -f "$1")
tools=$(readlink -f "$2")
here=$(dirname "$(readlink -f "$0")")
# shellcheck source=tests/windows/lib.sh
. "$here/lib.sh"

begin_work

unzip -q "$zip" -d "$work" || fail "unzip failed"
folder=$work/uPVelmora
missing=""
for f in uPVelmora.exe uPVelmora-ctl.exe uPVelmora.conf.example Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll \
         libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
         qt-licenses/LGPL-3.0-only.txt; do
  [ -f "$folder/$f" ] || missing="$missing $f"
done
[ -z "$missing" ] && ok "the zip holds the folder uPVelmora with the program" || fail "not in the zip:$missing"
extra=$(cd "$work" && find . -mindepth 1 -maxdepth 1 ! -name uPVelmora)
[ -z "$extra" ] && ok "everything inside the one folder" || fail "outside the folder: $extra"
for f in uPVelmora.conf uPVelmora-start.exe uPCorvane.exe slotsend.exe; do
  [ ! -e "$folder/$f" ] && ok "no $f in the zip" || fail "$f is in the zip"
done

# As the README says: the example copied to uPVelmora.conf; here with one
# guide entry due at 10:16.
cp "$folder/uPVelmora.conf.example" "$folder/uPVelmora.conf"
sed -i 's/^CycleItems=0\r$/CycleItems=1\r/' "$folder/uPVelmora.conf"
printf '%s\r\n' 'CycleItem_000=2026/12/08-10:16,朝礼を開始します。,会議室A,' | iconv -f UTF-8 -t CP932 \
  >>"$folder/uPVelmora.conf"

mkdir "$work/rec"
(cd "$work/rec" && exec env LC_ALL=ja_JP.UTF-8 wine "$tools/uPCorvane.exe" recorder.log >/dev/null 2>&1) &
pids+=($!)
wait_window '^ｺｰｳﾞｪｲﾝ \[uPCorvane\]$' 60 >/dev/null || fail "uPCorvane.exe shows no window"

offset=$(( $(date -d '2026-12-08 10:15:55' +%s) - $(date +%s) ))
faketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
(cd "$folder" && exec env LC_ALL=ja_JP.UTF-8 LD_PRELOAD="$faketime" FAKETIME="$(printf '%+d' "$offset")" \
   FAKETIME_DONT_FAKE_MONOTONIC=1 FAKETIME_DISABLE_SHM=1 wine ./uPVelmora.exe >"$work/app.out" 2>&1) &
program=$!
pids+=("$program")
wait_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 60 >/dev/null && ok "started in the unzipped folder, it shows its window" \
  || fail "started in the unzipped folder, it shows no window"
wait_window '^ｶﾞｲﾄﾞﾒｯｾｰｼﾞ$' 60 >/dev/null && ok "the pop-up appears at the minute" || fail "no pop-up"
line_re=$'^20261208101600[0-9]{3}\t88011\t800\tuPVelmora\t朝礼を開始します。\t会議室A$'
wait_line "$work/rec/recorder.log" "$line_re" 10 && ok "the recorder received the record" \
  || fail "the recorder's log lacks the record"

env LC_ALL=ja_JP.UTF-8 wine "$tools/slotsend.exe" uPVelmora || fail "slotsend.exe failed"
wait_gone "$program" 15 && ok "the close command ended it" || fail "still running after the close command"
grep -q 'CycleItems=0' "$folder/uPVelmora.conf" && [ -f "$folder/uPVelmora.conf.bak" ] \
  && ok "the file in the program's folder was saved, its backup beside it" \
  || fail "the file in the program's folder was not saved"
env LC_ALL=ja_JP.UTF-8 wine "$tools/slotsend.exe" uPCorvane >/dev/null 2>&1 || true
summary
