#!/usr/bin/env bash
# The command tool uPVelmora-ctl.exe under Wine, as a script on a Windows PC
# runs it from the program's folder (the portable zip's, which is the
# installers' folder less the launcher): with no program running it says so
# and exits 2; against uPVelmora.exe running in that folder it adds an
# entry (status 0), is refused the same entry again (1), lists it, exports
# the schedule as CSV (CP932, CRLF), removes the entry (0) and is refused
# that once more (1).  Each line it prints is the program's, in the
# console's code page, 932 here; uPVelmora.conf holds each change once the
# tool has answered.
#
# Usage: tests/windows/ctl.sh PORTABLE.zip TOOLS_FOLDER
# TOOLS_FOLDER holds slotsend.exe with its DLLs.  The environment is that of
# tests/windows/run.sh.
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
[ -f "$folder/uPVelmora-ctl.exe" ] && ok "uPVelmora-ctl.exe is beside uPVelmora.exe" \
  || fail "no uPVelmora-ctl.exe in the program's folder"
cp "$folder/uPVelmora.conf.example" "$folder/uPVelmora.conf"
conf=$folder/uPVelmora.conf

# Runs the tool in the program's folder; its status in ctl_status, what it
# printed on standard output and error, from code page 932 and without the
# CR of the console's line ends, in ctl_out and ctl_err.
ctl() {
  ctl_status=0
  (cd "$folder" && exec env LC_ALL=ja_JP.UTF-8 wine ./uPVelmora-ctl.exe "$@" >"$work/ctl.out" 2>"$work/ctl.err") \
    || ctl_status=$?
  ctl_out=$(iconv -f CP932 -t UTF-8 "$work/ctl.out" | tr -d '\r')
  ctl_err=$(iconv -f CP932 -t UTF-8 "$work/ctl.err" | tr -d '\r')
}
# Runs the tool and checks its status and standard output.
ctl_check() {
  local what=$1 want_status=$2 want_out=$3
  shift 3
  ctl "$@"
  if [ "$ctl_status" -eq "$want_status" ] && [ "$ctl_out" = "$want_out" ]; then
    ok "uPVelmora-ctl.exe $what: status $ctl_status, printed: ${ctl_out//$'\n'/ | }"
  else
    fail "uPVelmora-ctl.exe $what: status $ctl_status (wanted $want_status), printed '$ctl_out'" \
      "(wanted '$want_out'), standard error '$ctl_err', raw: $(od -c "$work/ctl.out" | head -n 5)"
  fi
}
conf_text() { iconv -f CP932 -t UTF-8 "$conf" 2>/dev/null | tr -d '\r'; }
# Waits up to ten seconds until the file has (or, with "no", lacks) a line
# matching the extended regex.
conf_wait() {
  local want=$1 re=$2
  for _ in $(seq 1 100); do
    if [ -f "$conf" ]; then
      if conf_text | grep -qE "$re"; then [ "$want" = has ] && return 0; else [ "$want" = no ] && return 0; fi
    fi
    sleep 0.1
  done
  return 1
}

# No program: said on standard error, status 2, the file untouched.
before=$(md5sum <"$conf")
ctl list
[ "$ctl_status" -eq 2 ] && [ -z "$ctl_out" ] && [ "$ctl_err" = "ｳﾞｪﾙﾓﾗ は起動されていません。" ] \
  && ok "with no program running: status 2, $ctl_err" \
  || fail "with no program running: status $ctl_status, printed '$ctl_out', said '$ctl_err'"
[ "$(md5sum <"$conf")" = "$before" ] || fail "the file changed while no program ran"

(cd "$folder" && exec env LC_ALL=ja_JP.UTF-8 wine ./uPVelmora.exe >"$work/app.out" 2>&1) &
program=$!
pids+=("$program")
wait_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 60 >/dev/null && ok "uPVelmora.exe shows its window" \
  || fail "uPVelmora.exe shows no window"

year=$(($(date +%Y) + 1))
due=$year/12/24-09:30
ctl_check "add" 0 "[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録されました。" add "$due" 朝礼を開始します。 会議室A
conf_wait has "^CycleItem_000=$due,朝礼を開始します。,会議室A,\$" && conf_wait has '^CycleItems=1$' \
  && ok "add: the entry is in uPVelmora.conf" || fail "add: the file holds: $(conf_text)"
ctl_check "add, the same again" 1 "[ｳﾞｪﾙﾓﾗ]既に登録されています。" add "$due" 朝礼を開始します。 会議室A
ctl_check "list" 0 "$due  朝礼を開始します。  会議室A" list

fixed=$(conf_text | grep -c '^EntryItem_[0-9]*=')
ctl_check "export" 0 "[ｳﾞｪﾙﾓﾗ]ｴｸｽﾎﾟｰﾄしました。$((fixed + 1)) 件。" export exported.csv
csv=$folder/exported.csv
if [ -f "$csv" ] && [ "$(grep -c $'\r$' "$csv")" -eq "$(wc -l <"$csv")" ] \
   && [ "$(iconv -f CP932 -t UTF-8 "$csv" | tr -d '\r' | head -n 2)" \
        = $'種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション\n'"ｶﾞｲﾄﾞ,${due/-/ },,,朝礼を開始します。,会議室A," ]; then
  ok "export: CP932 with CRLF, the header and the entry"
else
  fail "export wrote: $(od -c "$csv" 2>&1 | head -n 10)"
fi

ctl_check "remove" 0 "[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞから削除されました。" remove "$due" 朝礼を開始します。 会議室A
conf_wait no "$due" && conf_wait has '^CycleItems=0$' && ok "remove: the entry is gone from uPVelmora.conf" \
  || fail "remove: the file holds: $(conf_text)"
ctl_check "remove, once more" 1 "[ｳﾞｪﾙﾓﾗ]該当するｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞがありません。" remove "$due" 朝礼を開始します。 会議室A

env LC_ALL=ja_JP.UTF-8 wine "$tools/slotsend.exe" uPVelmora || fail "slotsend.exe failed"
wait_gone "$program" 15 && ok "the close command ended it" || fail "still running after the close command"
summary
