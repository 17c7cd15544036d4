#!/usr/bin/env bash
# Checks the built Debian packages as a user would get them:
#  - upvelmora holds the program, the command tool uPVelmora-ctl and their
#    files (man pages, copyright and changelog under usr/share/doc/upvelmora)
#    and no stand-in: dpkg installs it alone into a root of its own, and
#    removes it without a trace;
#    upvelmora-tools holds uPCorvane and slotsend with their man pages;
#  - the binaries need no library outside the system's, and apt-get can
#    resolve the program's dependencies on a machine with nothing installed
#    (simulated against the apt lists) without pulling in the tools;
#  - the desktop entry and the AppStream metainfo it installs validate;
#  - the program unpacked from it (dpkg -x) starts on an X display of its own
#    in a working folder holding a configuration file, shows its main window
#    with its icon, and ends on the close command of the packaged slotsend;
#    while it runs, the packaged uPVelmora-ctl adds an entry to its schedule,
#    lists it, exports and imports a CSV file and removes the entry, each
#    with the program's status line and exit status, and the configuration
#    file follows; with no program running the tool says so and exits 2;
#    the desktop menu's launcher does the same in an empty configuration
#    folder, which it gives the starter file, from a tree without
#    usr/share/doc and past a link planted in that folder; without a folder
#    for the file (HOME unset, or no folder) it says why in a window;
#  - uPVelmora-start --autostart on writes a valid autostart entry whose
#    command starts the program, off removes it, status tells which.
# Usage: tests/package/run.sh upvelmora_<version>_<arch>.deb upvelmora-tools_<version>_<arch>.deb
set -euo pipefail
[ $# -eq 2 ] && [ -f "$1" ] && [ -f "$2" ] || { echo "usage: $0 PROGRAM.deb TOOLS.deb" >&2; exit 2; }
deb=$(readlink -f "$1")
tools_deb=$(readlink -f "$2")

failures=0
fail() { echo "package: FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "package: ok: $*"; }

work=$(mktemp -d)
xvfb_pid=""
prog_pid=""
cleanup() {
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The program and slotsend meet on fixed mailslot names in the user's
# runtime folder: one of our own never closes a copy the user runs.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime

root=$work/root
dpkg -x "$deb" "$root"
tools=$work/tools
dpkg -x "$tools_deb" "$tools"
[ "$(dpkg-deb -f "$deb" Package)" = upvelmora ] && [ "$(dpkg-deb -f "$tools_deb" Package)" = upvelmora-tools ] \
  && ok "packages upvelmora and upvelmora-tools" \
  || fail "package names: $(dpkg-deb -f "$deb" Package), $(dpkg-deb -f "$tools_deb" Package)"

# Files.
missing=()
for f in usr/bin/uPVelmora usr/bin/uPVelmora-start usr/bin/uPVelmora-ctl \
         usr/libexec/uPVelmora/uPVelmora-notice usr/share/uPVelmora/uPVelmora.conf \
         usr/share/applications/uPVelmora.desktop \
         usr/share/icons/hicolor/scalable/apps/uPVelmora.svg \
         usr/share/man/man1/uPVelmora.1.gz usr/share/man/man1/uPVelmora-start.1.gz \
         usr/share/man/man1/uPVelmora-ctl.1.gz \
         usr/share/doc/upvelmora/copyright usr/share/doc/upvelmora/changelog.Debian.gz \
         usr/share/doc/upvelmora/uPVelmora.conf usr/share/doc/upvelmora/README; do
  [ -f "$root/$f" ] || missing+=("$f")
done
for size in 16 24 32 48 64 128 256; do
  f=usr/share/icons/hicolor/${size}x${size}/apps/uPVelmora.png
  [ -f "$root/$f" ] || missing+=("$f")
done
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -1)
[ -n "$metainfo" ] || missing+=("usr/share/metainfo/*.metainfo.xml")
[ ${#missing[@]} -eq 0 ] && ok "installed files" || fail "missing: ${missing[*]}"
extra=$(find "$root/usr/bin" -type f ! -name uPVelmora ! -name uPVelmora-start ! -name uPVelmora-ctl)
[ -z "$extra" ] && ok "upvelmora: no other programs" || fail "upvelmora: not meant to be installed: $extra"
missing=()
for f in usr/bin/uPCorvane usr/bin/slotsend usr/share/man/man1/uPCorvane.1.gz usr/share/man/man1/slotsend.1.gz \
         usr/share/doc/upvelmora-tools/copyright usr/share/doc/upvelmora-tools/changelog.Debian.gz; do
  [ -f "$tools/$f" ] || missing+=("$f")
done
[ ${#missing[@]} -eq 0 ] && ok "upvelmora-tools: its files" || fail "upvelmora-tools: missing: ${missing[*]}"
zgrep -q 'not the recorder' "$tools/usr/share/man/man1/uPCorvane.1.gz" \
  && ok "uPCorvane(1) says it is not the recorder" || fail "uPCorvane(1) does not say it is a stand-in"
# Every installed program has its page.
for exe in "$root"/usr/bin/* "$tools"/usr/bin/*; do
  page=$(dirname "$(dirname "$exe")")/share/man/man1/$(basename "$exe").1.gz
  [ -f "$page" ] || fail "no man page for $(basename "$exe")"
  out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) \
    && [ -z "$out" ] || fail "man $(basename "$page"): $out"
done

# upvelmora alone, installed by dpkg into a root of its own: no stand-in
# comes with it, and its removal leaves nothing behind.
droot=$work/dpkg-root
mkdir -p "$droot/var/lib/dpkg/info" "$droot/var/lib/dpkg/updates"
: >"$droot/var/lib/dpkg/status"
if dpkg --root="$droot" --force-depends --force-not-root -i "$deb" >"$work/dpkg.log" 2>&1; then
  found=$(find "$droot" -name uPCorvane -o -name slotsend -o -name 'uPCorvane.1*' -o -name 'slotsend.1*')
  listed=$(dpkg --root="$droot" -L upvelmora | grep -cE '/(uPCorvane|slotsend)' || true)
  [ -x "$droot/usr/bin/uPVelmora" ] && [ -z "$found" ] && [ "$listed" -eq 0 ] \
    && ok "dpkg installs upvelmora alone: no uPCorvane, no slotsend" \
    || fail "upvelmora installed alone brings: ${found:-(listed $listed)}"
  dpkg --root="$droot" --force-depends --force-not-root --purge upvelmora >>"$work/dpkg.log" 2>&1 \
    || fail "dpkg --purge upvelmora failed"
  left=$(find "$droot/usr" -type f -o -type l 2>/dev/null || true)
  [ -z "$left" ] && ok "dpkg --purge upvelmora leaves no file" || fail "left after purge: $left"
else
  fail "dpkg -i upvelmora:"; cat "$work/dpkg.log"
fi

# Libraries: the system's only, found without a run path into a build tree.
before=$failures
for exe in "$root/usr/bin/uPVelmora" "$root/usr/bin/uPVelmora-ctl" "$tools/usr/bin/uPCorvane" \
           "$tools/usr/bin/slotsend" "$root/usr/libexec/uPVelmora/uPVelmora-notice"; do
  if readelf -d "$exe" | grep -qE 'RPATH|RUNPATH'; then
    fail "$(basename "$exe") has a run path"
  elif env -u LD_LIBRARY_PATH ldd "$exe" | grep -q 'not found'; then
    fail "$(basename "$exe"): $(ldd "$exe" | grep 'not found' | tr -s ' \t\n' ' ')"
  fi
done
[ "$failures" -eq "$before" ] && ok "the system's libraries only"

depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
  *"fonts-ipafont-gothic | fonts-noto-cjk"*libqt6widgets6*) ok "Depends: $depends" ;;
  *) fail "Depends lacks the font or the Qt libraries: $depends" ;;
esac

# Dependencies resolvable on a fresh machine: apt-get simulates the install
# with an empty package status, i.e. everything comes from the archive.
if command -v apt-get >/dev/null && ls /var/lib/apt/lists/*Packages* >/dev/null 2>&1; then
  : >"$work/status"
  if apt-get -q -o Dir::State::status="$work/status" install --simulate --no-install-recommends \
       "$deb" >"$work/apt.log" 2>&1; then
    ok "apt-get resolves the dependencies ($(grep -c '^Inst' "$work/apt.log") packages from nothing)"
    grep -q '^Inst upvelmora-tools' "$work/apt.log" && fail "apt-get pulls in upvelmora-tools with upvelmora"
  else
    fail "apt-get cannot resolve the dependencies:"; tail -20 "$work/apt.log"
  fi
else
  echo "package: no apt lists (apt-get update); the dependency check is skipped"
fi

# Desktop entry and metainfo, as installed.
desktop=$root/usr/share/applications/uPVelmora.desktop
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] && ok "desktop-file-validate" \
  || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) \
  && ok "appstreamcli validate --no-net" || fail "appstreamcli validate: $out"
# The tree as a whole: file named after the id, launchable entry present.
out=$(appstreamcli validate-tree --no-net "$root" 2>&1) \
  && ok "appstreamcli validate-tree --no-net" || fail "appstreamcli validate-tree: $out"
exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$root/usr/bin/$exec_cmd" ] && [ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] \
  && ok "the entry's Exec and Icon are installed" || fail "Exec=$exec_cmd or Icon=$icon not installed"

# The command tool as a script calls it: its exit status, and what it
# printed on standard output, exactly.
ctl=$root/usr/bin/uPVelmora-ctl
ctl_check() {
  local what=$1 want_status=$2 want_out=$3 st=0 out
  shift 3
  out=$(cd "$work" && LC_ALL=C.UTF-8 "$ctl" "$@" 2>"$work/ctl.err") || st=$?
  if [ "$st" -eq "$want_status" ] && [ "$out" = "$want_out" ]; then
    ok "uPVelmora-ctl $what: status $st, printed: ${out//$'\n'/ | }"
  else
    fail "uPVelmora-ctl $what: status $st (wanted $want_status), printed '$out' (wanted '$want_out');" \
      "standard error: $(cat "$work/ctl.err")"
  fi
}

# No program runs: the tool says so on standard error and exits 2.
st=0
out=$(LC_ALL=C.UTF-8 "$ctl" list 2>"$work/ctl.err") || st=$?
[ "$st" -eq 2 ] && [ -z "$out" ] && [ "$(cat "$work/ctl.err")" = "ｳﾞｪﾙﾓﾗ は起動されていません。" ] \
  && ok "uPVelmora-ctl list with no program running: status 2, $(cat "$work/ctl.err")" \
  || fail "uPVelmora-ctl list with no program running: status $st, printed '$out', said '$(cat "$work/ctl.err")'"

# The configuration file of the program's working folder as text.
conf_text() { iconv -f CP932 -t UTF-8 "$1/uPVelmora.conf" 2>/dev/null | tr -d '\r'; }
# Waits up to ten seconds until the file has (or, with "no", lacks) a line
# matching the extended regex.
conf_wait() {
  local dir=$1 want=$2 re=$3
  for _ in $(seq 1 100); do
    if [ -f "$dir/uPVelmora.conf" ]; then
      if conf_text "$dir" | grep -qE "$re"; then [ "$want" = has ] && return 0; else [ "$want" = no ] && return 0; fi
    fi
    sleep 0.1
  done
  return 1
}

# While the program runs in $work/run: an entry added, refused the second
# time, listed, exported, a CSV file tried and imported, the entry removed;
# each change is in the configuration file when the tool has answered.
ctl_session() {
  local dir=$work/run year due due_csv due2 fixed csv
  year=$(( $(date +%Y) + 1 ))
  due=$year/12/24-09:30 due_csv="$year/12/24 09:30" due2=$year/12/25-17:00
  ctl_check "add" 0 "[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞに登録されました。" add "$due" 朝礼を開始します。 会議室A
  conf_wait "$dir" has "^CycleItem_000=$due,朝礼を開始します。,会議室A,\$" && conf_wait "$dir" has '^CycleItems=1$' \
    && ok "uPVelmora-ctl add: the entry is in uPVelmora.conf" || fail "uPVelmora-ctl add: the file: $(conf_text "$dir")"
  ctl_check "add, the same again" 1 "[ｳﾞｪﾙﾓﾗ]既に登録されています。" add "$due" 朝礼を開始します。 会議室A
  ctl_check "list" 0 "$due  朝礼を開始します。  会議室A" list

  # The export: the header, the entry and the fixed-form messages, CP932
  # with CRLF line ends.
  fixed=$(conf_text "$dir" | grep -c '^EntryItem_[0-9]*=')
  csv=$work/exported.csv
  ctl_check "export" 0 "[ｳﾞｪﾙﾓﾗ]ｴｸｽﾎﾟｰﾄしました。$((fixed + 1)) 件。" export "$csv"
  if [ -f "$csv" ] && [ "$(grep -c $'\r$' "$csv")" -eq "$(wc -l <"$csv")" ] \
     && [ "$(iconv -f CP932 -t UTF-8 "$csv" | tr -d '\r' | head -n 2)" \
          = $'種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション\n'"ｶﾞｲﾄﾞ,$due_csv,,,朝礼を開始します。,会議室A," ] \
     && [ "$(iconv -f CP932 -t UTF-8 "$csv" | grep -c '^定型,')" -eq "$fixed" ]; then
    ok "uPVelmora-ctl export: CP932, CRLF, the header, the entry and $fixed fixed-form rows"
  else
    fail "uPVelmora-ctl export wrote: $(iconv -f CP932 -t UTF-8 "$csv" 2>&1 | od -c | head -20)"
  fi

  # A UTF-8 file with LF line ends: one row to take, one whose minute has
  # passed.  Tried first, which changes nothing.
  printf '%s\n' '種別,日時,繰り返し,時刻,固定ﾒｯｾｰｼﾞ,可変ﾒｯｾｰｼﾞ,オプション' \
    "ｶﾞｲﾄﾞ,${due2/-/ },,,終業時刻です。,\"週報, 提出\"" 'ｶﾞｲﾄﾞ,2001/01/01 09:00,,,昼休みです。,,' \
    'ｶﾞｲﾄﾞ,'"${due2/-/ }"',,,終業時刻です。,週報提出,予告=5' >"$work/import.csv"
  ctl_check "import --dry-run" 1 $'2 行: ﾒｯｾｰｼﾞにｶﾝﾏ(,)は使えません。\n3 行: 設定日時が現在日時より小さいです。\n4 行: 取込' \
    import "$work/import.csv" --dry-run
  conf_wait "$dir" has '^CycleItems=1$' && ! conf_text "$dir" | grep -q "$due2" \
    && ok "uPVelmora-ctl import --dry-run: the file is unchanged" || fail "import --dry-run changed the file"
  ctl_check "import" 1 "[ｳﾞｪﾙﾓﾗ]ｲﾝﾎﾟｰﾄしました。取込 1 件、除外 2 件。" import "$work/import.csv"
  conf_wait "$dir" has "^CycleItem_001=$due2,終業時刻です。,週報提出,予告=5,\$" && conf_wait "$dir" has '^CycleItems=2$' \
    && ok "uPVelmora-ctl import: the row taken is in uPVelmora.conf" || fail "uPVelmora-ctl import: $(conf_text "$dir")"

  ctl_check "remove" 0 "[ｳﾞｪﾙﾓﾗ]ｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞから削除されました。" remove "$due" 朝礼を開始します。 会議室A
  conf_wait "$dir" no "$due" && conf_wait "$dir" has '^CycleItems=1$' \
    && ok "uPVelmora-ctl remove: the entry is gone from uPVelmora.conf" || fail "uPVelmora-ctl remove: $(conf_text "$dir")"
  ctl_check "remove, once more" 1 "[ｳﾞｪﾙﾓﾗ]該当するｶﾞｲﾄﾞ部ﾒｯｾｰｼﾞがありません。" remove "$due" 朝礼を開始します。 会議室A
}

# An X display of our own.
display=""
. "$(dirname "$(readlink -f "$0")")/../../scripts/xvfb.sh"
if start_xvfb 140 180; then display=$DISPLAY; fi

caption='ｳﾞｪﾙﾓﾗ [uPVelmora]'
# Starts COMMAND in folder DIR, waits for the main window, checks its icon,
# sends the close command and waits for a clean exit.
run_once() {
  local what=$1 dir=$2; shift 2
  local log=$work/$what.log wid="" status=0
  (cd "$dir" && exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u LD_LIBRARY_PATH \
     DISPLAY="$display" "$@" >"$log" 2>&1) &
  prog_pid=$!
  for _ in $(seq 1 200); do
    wid=$(DISPLAY=$display xdotool search --name "^ｳﾞｪﾙﾓﾗ \\[uPVelmora\\]\$" 2>/dev/null | head -1) || true
    [ -n "$wid" ] && break
    kill -0 "$prog_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$wid" ]; then
    fail "$what: no window \"$caption\""; cat "$log"
    kill "$prog_pid" 2>/dev/null || true; wait "$prog_pid" 2>/dev/null || true; prog_pid=""
    return
  fi
  ok "$what: window \"$caption\""
  icons=$(DISPLAY=$display xprop -id "$wid" _NET_WM_ICON 2>/dev/null | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
  # Sizes 24 and up come only from the icon's compiled-in PNGs (X11 gets
  # them up to 128).
  if [[ "$icons" == *"(16 x 16)"* && "$icons" == *"(24 x 24)"* && "$icons" == *"(128 x 128)"* ]]; then
    ok "$what: window icon $icons"
  else
    fail "$what: window icon sizes: ${icons:-none}"
  fi
  # What the caller asks of the running program, if anything.
  [ -n "${while_running:-}" ] && "$while_running"
  "$tools/usr/bin/slotsend" uPVelmora || fail "$what: slotsend failed"
  for _ in $(seq 1 100); do
    kill -0 "$prog_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$prog_pid" 2>/dev/null; then
    fail "$what: still running 10 s after the close command"
    kill "$prog_pid" 2>/dev/null || true
  fi
  wait "$prog_pid" || status=$?
  prog_pid=""
  [ "$status" -eq 0 ] && ok "$what: ended by the close command" \
    || { fail "$what: exit status $status"; cat "$log"; }
}

if [ -z "$display" ]; then
  echo "package: no Xvfb; the start of the installed program is skipped"
else
  echo "package: Xvfb on $display"
  mkdir "$work/run"
  cp "$root/usr/share/doc/upvelmora/uPVelmora.conf" "$work/run/"
  while_running=ctl_session run_once "uPVelmora" "$work/run" "$root/usr/bin/uPVelmora"

  # The launcher needs nothing under usr/share/doc, which systems may strip,
  # and writes through no link planted in its folder.
  nodoc=$work/nodoc
  cp -a "$root" "$nodoc"
  rm -rf "$nodoc/usr/share/doc"
  conf_dir=$work/home/.config/uPVelmora
  mkdir -p "$conf_dir"
  echo victim >"$work/victim"
  ln -s "$work/victim" "$conf_dir/.uPVelmora.conf.new"
  HOME=$work/home XDG_CONFIG_HOME="" run_once "uPVelmora-start" "$work" "$nodoc/usr/bin/uPVelmora-start"
  if [ -f "$conf_dir/uPVelmora.conf" ] && [ ! -L "$conf_dir/uPVelmora.conf" ] \
     && cmp -s "$conf_dir/uPVelmora.conf" "$root/usr/share/uPVelmora/uPVelmora.conf"; then
    ok "uPVelmora-start made ~/.config/uPVelmora/uPVelmora.conf without usr/share/doc"
  else
    fail "uPVelmora-start left no starter configuration file in ~/.config/uPVelmora"
  fi
  [ "$(cat "$work/victim")" = victim ] && ok "uPVelmora-start wrote through no planted link" \
    || fail "uPVelmora-start wrote through the link planted at .uPVelmora.conf.new"
  [ -z "$(find "$conf_dir" -name '.uPVelmora.conf.??????')" ] && ok "uPVelmora-start left no temporary file" \
    || fail "uPVelmora-start left a temporary file"

  # Start at login: "on" writes a valid entry whose command starts the
  # program through the launcher, "off" takes it away, "status" tells which.
  ahome=$work/autostart-home
  mkdir -p "$ahome"
  autostart() { HOME=$ahome XDG_CONFIG_HOME="" "$root/usr/bin/uPVelmora-start" --autostart "$1"; }
  entry=$ahome/.config/autostart/uPVelmora.desktop
  [ "$(autostart status)" = off ] && [ ! -e "$entry" ] && ok "autostart is off at first" \
    || fail "autostart status before on: $(autostart status)"
  autostart on >/dev/null || fail "uPVelmora-start --autostart on failed"
  out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] && ok "autostart entry validates" \
    || fail "autostart entry: ${out:-missing}"
  command=$(sed -n 's/^Exec="\(.*\)"$/\1/p' "$entry" 2>/dev/null)
  [ "$command" = "$root/usr/bin/uPVelmora-start" ] && [ "$(autostart status)" = on ] \
    && ok "autostart on: the entry runs the launcher" || fail "autostart entry Exec: ${command:-none}"
  HOME=$ahome XDG_CONFIG_HOME="" run_once "autostart entry's command" "$work" "$command"
  autostart off >/dev/null || fail "uPVelmora-start --autostart off failed"
  [ ! -e "$entry" ] && [ "$(autostart status)" = off ] && ok "autostart off: the entry is gone" \
    || fail "autostart off left $entry"

  # "on" only when the entry is in effect: a folder at the entry's name, or
  # a HOME that is no absolute path, is refused with status 1 and a reason,
  # and status does not say on.
  mkdir -p "$entry"
  st=0; out=$(autostart on 2>&1) || st=$?
  [ "$st" = 1 ] && case "$out" in *"is a folder"*) true ;; *) false ;; esac && [ "$(autostart status 2>/dev/null)" = off ] \
    && ok "autostart on over a folder at the entry: refused" || fail "autostart on over a folder: status $st, said: $out"
  rmdir "$entry"
  st=0; out=$(cd "$work" && HOME=relative-home XDG_CONFIG_HOME="" "$root/usr/bin/uPVelmora-start" --autostart on 2>&1) \
    || st=$?
  [ "$st" = 1 ] && [ ! -e "$work/relative-home" ] && case "$out" in *"not an absolute path"*) true ;; *) false ;; esac \
    && ok "autostart on with a relative HOME: refused" || fail "autostart on with a relative HOME: status $st, said: $out"

  # Without a folder for the configuration file the launcher says why in a
  # window, and exits with status 1.
  : >"$work/not-a-folder"
  for home in "$work/not-a-folder" ""; do
    what="uPVelmora-start with HOME=${home:-(unset)}"
    log=$work/refusal.log
    if [ -n "$home" ]; then
      (exec env -u QT_QPA_PLATFORM -u XDG_CONFIG_HOME DISPLAY="$display" HOME="$home" \
         "$root/usr/bin/uPVelmora-start" >"$log" 2>&1) &
    else
      (exec env -u QT_QPA_PLATFORM -u XDG_CONFIG_HOME -u HOME DISPLAY="$display" \
         "$root/usr/bin/uPVelmora-start" >"$log" 2>&1) &
    fi
    prog_pid=$!
    wid=""
    for _ in $(seq 1 200); do
      wid=$(DISPLAY=$display xdotool search --onlyvisible --name '^uPVelmora$' 2>/dev/null | head -1) || true
      [ -n "$wid" ] && break
      kill -0 "$prog_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [ -n "$wid" ]; then
      ok "$what: a window says why"
      DISPLAY=$display xdotool windowfocus --sync "$wid" key Return || true
    else
      fail "$what: no window"
    fi
    for _ in $(seq 1 100); do
      kill -0 "$prog_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$prog_pid" 2>/dev/null && { fail "$what: still running 10 s on"; pkill -P "$prog_pid" || true; kill "$prog_pid" || true; }
    status=0
    wait "$prog_pid" || status=$?
    prog_pid=""
    [ "$status" -eq 1 ] && grep -q 'uPVelmora-start: ' "$log" && ok "$what: status 1, $(head -1 "$log")" \
      || { fail "$what: status $status"; cat "$log"; }
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "package: $failures check(s) failed"
  exit 1
fi
echo "package: all checks passed"
