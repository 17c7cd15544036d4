#!/usr/bin/env bash
# The whole program for Windows under Wine, on an X display, as on a Windows
# desktop: the stand-in recorder uPCorvane.exe shows its window; uPVelmora.exe
# starts in a folder holding a configuration file with one fixed-form entry
# and one guide entry due at the next minute (its clock set by libfaketime);
# a second start is refused while it runs; at the minute the pop-up appears
# and the recorder receives the record over a Win32 mailslot, logged as on
# Linux; slotsend.exe ends the program within a second; the file then no
# longer holds the announced entry and the backup is beside it.  Started on
# a file marked read-only, the program says at once that it cannot write
# it: on standard error, and on its head line in the colour of a failed
# save, which the recorder does not hear of until the save at the end fails.
#
# Usage: tests/windows/run.sh PROGRAM_FOLDER SCREENSHOT_FOLDER
# PROGRAM_FOLDER holds the installed program and the stand-in tools.  The
# environment has WINEPREFIX (a prefix with a Japanese font), DISPLAY and
# LOCPATH (a ja_JP.UTF-8 locale, so that Wine's ANSI code page is 932).
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PROGRAM_FOLDER SCREENSHOT_FOLDER" >&2; exit 2; }
bin=$(readlink -f "$1")
shots=$(readlink -f "$2")
mkdir -p "$shots"
here=$(dirname "$(readlink -f "$0")")
# shellcheck source=tests/windows/lib.sh
. "$here/lib.sh"

begin_work

mkdir "$work/app" "$work/rec"
printf '%s\r\n' '[Section_FormStyle]' 'FormStyle=NOMAL,1,3,8,12,' '[Section_Watch]' 'Watch_Timer=1,60,1,0,' \
  '[Section_Entry]' 'EntryItems=1' 'EntryItem_000=昼休みです。,' \
  '[Section_Cycle]' 'CycleItems=1' 'CycleItem_000=2026/12/08-10:16,朝礼を開始します。,会議室A,' \
  | iconv -f UTF-8 -t CP932 >"$work/app/uPVelmora.conf"
conf=$work/app/uPVelmora.conf

# The recorder first, as operators start it.
(cd "$work/rec" && exec env LC_ALL=ja_JP.UTF-8 wine "$bin/uPCorvane.exe" recorder.log >"$work/rec.out" 2>&1) &
pids+=($!)
wait_window '^ｺｰｳﾞｪｲﾝ \[uPCorvane\]$' 60 >/dev/null && ok "uPCorvane.exe shows its window" \
  || fail "uPCorvane.exe shows no window"

# The program on a clock five seconds before 10:16:00: the real one plus a
# whole number of seconds.
offset=$(( $(date -d '2026-12-08 10:15:55' +%s) - $(date +%s) ))
faketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
(cd "$work/app" && exec env LC_ALL=ja_JP.UTF-8 LD_PRELOAD="$faketime" FAKETIME="$(printf '%+d' "$offset")" \
   FAKETIME_DONT_FAKE_MONOTONIC=1 FAKETIME_DISABLE_SHM=1 wine "$bin/uPVelmora.exe" >"$work/app.out" 2>&1) &
program=$!
pids+=("$program")
main=$(wait_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 60) && ok "uPVelmora.exe shows its main window" \
  || fail "uPVelmora.exe shows no main window"
if [ -n "$main" ]; then
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  shot "$main" "$shots/windows-main-window.png"
fi

# A second start while the first runs: refused in a box ("既に ｳﾞｪﾙﾓﾗ は Load
# されています。"), the first goes on.
(cd "$work/app" && exec env LC_ALL=ja_JP.UTF-8 wine "$bin/uPVelmora.exe" >"$work/second.out" 2>&1) &
second=$!
if box=$(wait_window '^uPVelmora$' 60); then
  ok "a second start shows its box"
  shot "$box" "$shots/windows-already-loaded.png"
  press "$box" Return
else
  fail "a second start shows no box"
fi
wait_gone "$second" 20 && ok "the second start ended" || fail "the second start still runs"
kill -0 "$program" 2>/dev/null && ok "the first start runs on" || fail "the first start ended"

# At 10:16:00: the pop-up, and the record in the recorder's log.
if popup=$(wait_window '^ｶﾞｲﾄﾞﾒｯｾｰｼﾞ$' 60); then
  ok "the pop-up appears at the minute"
  shot "$popup" "$shots/windows-guide-popup.png"
  # Flush with the work area's right edge: the outer frame ends there, as
  # on Windows, where its frame is part of the window (Wine draws it).
  area_right=$(xprop -root _NET_WORKAREA | sed -n 's/.*= *\([0-9]*\), *[0-9]*, *\([0-9]*\),.*/\1 + \2/p')
  area_right=$(( ${area_right:-0} ))
  for _ in $(seq 1 50); do
    eval "$(xdotool getwindowgeometry --shell "$popup" 2>/dev/null)"
    [ $((X + WIDTH)) -eq "$area_right" ] && break
    sleep 0.1
  done
  if [ $((X + WIDTH)) -eq "$area_right" ]; then
    ok "the pop-up's frame ends at the work area's right edge ($WIDTH px wide at x $X)"
  else
    fail "the pop-up's frame ends at x $((X + WIDTH)), the work area at $area_right ($WIDTH px wide at x $X)"
  fi
else
  fail "no pop-up"
fi
line_re=$'^20261208101600[0-9]{3}\t88011\t800\tuPVelmora\t朝礼を開始します。\t会議室A$'
if wait_line "$work/rec/recorder.log" "$line_re" 10; then
  ok "the recorder received the record over a Win32 mailslot: $(grep -E "$line_re" "$work/rec/recorder.log")"
else
  fail "the recorder's log lacks the record:"; cat "$work/rec/recorder.log" 2>/dev/null
fi

# The close command ends the program within a second: its window goes and
# its UnLoad line reaches the recorder; then its process ends.
env LC_ALL=ja_JP.UTF-8 wine "$bin/slotsend.exe" uPVelmora || fail "slotsend.exe failed"
sent=$(date +%s%N)
ended=""
for _ in $(seq 1 100); do
  if ! xdotool search --onlyvisible --name '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' >/dev/null 2>&1 \
     && grep -q 'を UnLoad しました。' "$work/rec/recorder.log" 2>/dev/null; then
    ended=$(( ($(date +%s%N) - sent) / 1000000 ))
    break
  fi
  sleep 0.02
done
if [ -z "$ended" ]; then
  fail "the program did not end within 2 s of the close command"
elif [ "$ended" -lt 1000 ]; then
  ok "slotsend.exe uPVelmora ended the program in $ended ms (window gone, UnLoad line received)"
else
  fail "the program ended $ended ms after the close command"
fi
if wait_gone "$program" 15; then
  ok "its process ended $(( ($(date +%s%N) - sent) / 1000000 )) ms after the close command"
else
  fail "the program's process still runs 15 s after the close command"
fi
status=0
wait "$program" || status=$?
[ "$status" -eq 0 ] && ok "exit status 0" || fail "exit status $status"

# The announced entry is gone from the file, which the backup precedes.
text=$(iconv -f CP932 -t UTF-8 "$conf")
case "$text" in
  *"CycleItems=0"*) ok "the file no longer holds the announced entry" ;;
  *) fail "the file still holds the entry: $text" ;;
esac
case "$text" in
  *"EntryItem_000=昼休みです。,"*) ok "the fixed-form entry stays" ;;
  *) fail "the fixed-form entry is gone: $text" ;;
esac
[ -f "$conf.bak" ] && grep -q 'CycleItems=1' "$conf.bak" && ok "the backup beside it holds the file as the run found it" \
  || fail "no backup beside the file"

# The head line's colour of a failed save, light red, as pixels of a
# window's picture; the main window shows none of it otherwise.
light_red() { convert "$1" -format %c histogram:info:- 2>/dev/null | grep -i '#FF8080' | awk '{print $1+0}'; }
[ -z "$(light_red "$shots/windows-main-window.png")" ] && ok "a start on a writable file shows no failure colour" \
  || fail "the failure colour is shown after a start on a writable file"

# Started on a file marked read-only.
mkdir "$work/ro"
ro_conf=$work/ro/uPVelmora.conf
printf '%s\r\n' '[Section_FormStyle]' 'FormStyle=NOMAL,1,3,8,12,' '[Section_Entry]' 'EntryItems=1' \
  'EntryItem_000=昼休みです。,' | iconv -f UTF-8 -t CP932 >"$ro_conf"
chmod 444 "$ro_conf"
ro_before=$(md5sum <"$ro_conf")
log_before=$(wc -l <"$work/rec/recorder.log")
(cd "$work/ro" && exec env LC_ALL=ja_JP.UTF-8 wine "$bin/uPVelmora.exe" >"$work/ro.out" 2>&1) &
ro_program=$!
pids+=("$ro_program")
ro_main=$(wait_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 60) || fail "started on a read-only file, it shows no main window"
wait_line "$work/ro.out" 'the configuration file cannot be written: .*uPVelmora\.conf: .*read-only' 30 \
  && ok "started on a read-only file, it says on standard error: $(grep -a 'cannot be written' "$work/ro.out")" \
  || fail "started on a read-only file, nothing on standard error: $(cat "$work/ro.out")"
# The notice comes once the start's own lines are done, and stays on the
# head line for three seconds.
seen=""
if [ -n "$ro_main" ]; then
  deadline=$(( $(date +%s) + 20 ))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    import -window "$ro_main" "$shots/windows-read-only-notice.png" 2>/dev/null
    [ "$(light_red "$shots/windows-read-only-notice.png")" -gt 1000 ] 2>/dev/null && { seen=1; break; }
    sleep 0.2
  done
fi
[ -n "$seen" ] && ok "its head line shows the notice in the colour of a failed save" \
  || fail "no notice in the colour of a failed save on its head line"
env LC_ALL=ja_JP.UTF-8 wine "$bin/slotsend.exe" uPVelmora || fail "slotsend.exe failed"
wait_gone "$ro_program" 15 || fail "started on a read-only file, it still runs after the close command"
status=0
wait "$ro_program" || status=$?
[ "$status" -eq 1 ] && ok "the save at the end failed: exit status 1" || fail "exit status $status, not 1"
[ "$(md5sum <"$ro_conf")" = "$ro_before" ] && ok "the read-only file stays as it was" || fail "the read-only file changed"
# Its unload line, the second in the log, is the run's last.
for _ in $(seq 1 100); do
  [ "$(grep -c 'を UnLoad しました。' "$work/rec/recorder.log")" -ge 2 ] && break
  sleep 0.1
done
run_lines=$(tail -n +"$((log_before + 1))" "$work/rec/recorder.log")
if [ "$(grep -c 'File Access NG' <<<"$run_lines")" -eq 1 ] \
   && [ "$(grep -n 'File Access NG' <<<"$run_lines" | cut -d: -f1)" -eq "$(( $(wc -l <<<"$run_lines") - 1 ))" ]; then
  ok "the recorder heard of the file once, from the failed save at the end"
else
  fail "the recorder's lines of that run:"; echo "$run_lines"
fi

env LC_ALL=ja_JP.UTF-8 wine "$bin/slotsend.exe" uPCorvane >/dev/null 2>&1 || true
summary
