#!/usr/bin/env bash
# The MSI under Wine, as an administrator deploys it: its summary says
# Japanese (1041), as the product does; msiexec /i /qn puts under Program
# Files exactly the files of the program's folder (the starter file under a
# name the program never opens, no uPVelmora.conf), the Start-menu shortcut
# ｳﾞｪﾙﾓﾗ to the launcher and one uninstall entry with the version and the
# program's folder; started through the shortcut's target the program shows
# its window and ends on the close command; msiexec /x /qn leaves nothing of
# the program.  AUTOSTART=1 adds the Startup shortcut to the launcher, and
# the removal takes it away.  Installed over an older version's MSI, or over
# another build of the same version, it replaces it: one installation, one
# uninstall entry, and its removal leaves nothing.
#
# Usage: tests/windows/msi.sh PACKAGE.msi OLDER.msi REBUILT.msi TOOLS_FOLDER
# REBUILT.msi is a second build of PACKAGE.msi's version.  TOOLS_FOLDER
# holds the program's folder as installed (compared file by file) with
# slotsend.exe beside it.  The environment is that of tests/windows/run.sh.
set -uo pipefail
[ $# -eq 4 ] || { echo "usage: $0 PACKAGE.msi OLDER.msi REBUILT.msi TOOLS_FOLDER" >&2; exit 2; }
msi=$(readlink -f "$1")
old=$(readlink -f "$2")
rebuilt=$(readlink -f "$3")
tools=$(readlink -f "$4")
here=$(dirname "$(readlink -f "$0")")
# shellcheck source=tests/windows/lib.sh
. "$here/lib.sh"
trap 'wineserver -k 2>/dev/null || true' EXIT

win() { env LC_ALL=ja_JP.UTF-8 wine "$@"; }
msiexec() { win msiexec "$1" "$(winepath -w "$2" 2>/dev/null)" "${@:3}" /qn; local rc=$?; wineserver -w; return $rc; }
drive_c=$WINEPREFIX/drive_c
installed=$drive_c/Program\ Files/uPVelmora
user=$(wine_user) || fail "Wine's cmd gives no user name"
appdata=$drive_c/users/$user/AppData/Roaming/uPVelmora
# The Start-menu shortcut: Windows puts a per-machine package's in the
# Start menu of all users; Wine's msi resolves ProgramMenuFolder and
# StartupFolder to the installing user's folders even so.  Either is taken.
menu_links() { find "$drive_c" -ipath '*/start menu/programs/ｳﾞｪﾙﾓﾗ.lnk' 2>/dev/null; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
product_code() { LC_ALL=C.UTF-8 msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
new_code=$(product_code "$msi")
old_code=$(product_code "$old")
rebuilt_code=$(product_code "$rebuilt")
version_of() { LC_ALL=C.UTF-8 msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p'; }
new_version=$(version_of "$msi")
old_version=$(version_of "$old")
# Any Startup shortcut, the user's or all users'.
startup_links() { find "$drive_c" -ipath '*/start menu/programs/startup/*.lnk' 2>/dev/null; }
links_to_launcher() {
  [ -f "$1" ] && { strings -a "$1"; strings -a -el "$1"; } | grep 'uPVelmora-start.exe$' >/dev/null
}
# A value of the uninstall entry of a product code, empty without one.
entry_value() {
  win reg query "$uninstall_key\\$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'
}
entry_version() { entry_value "$1" DisplayVersion; }
# The program's files under Program Files, as a sorted list.
files_of() { (cd "$1" 2>/dev/null && find . -type f | sort); }
expected=$(files_of "$tools" | grep -v -e '/uPCorvane.exe$' -e '/slotsend.exe$')

# Nothing of the program is left: files, shortcuts, uninstall entries.
nothing_left() {
  local left=""
  [ -e "$installed" ] && left="$left the program's folder;"
  [ -n "$(menu_links)" ] && left="$left the Start-menu shortcut;"
  [ -n "$(startup_links)" ] && left="$left a Startup shortcut;"
  for code in "$new_code" "$old_code" "$rebuilt_code"; do
    [ -n "$(entry_version "$code")" ] && left="$left the uninstall entry $code;"
    [ -e "$drive_c/windows/Installer/$code" ] && left="$left the installer's cache of $code;"
  done
  [ -z "$left" ] && ok "$1: nothing of the program is left" || fail "$1: left behind:$left"
}

rm -rf "$appdata"
nothing_left "before the MSI"

template=$(LC_ALL=C.UTF-8 msiinfo suminfo "$msi" | sed -n 's/^Template: //p')
[ "${template##*;}" = 1041 ] && ok "the summary's language is 1041 ($template)" \
  || fail "the summary's language is not 1041: '$template'"
[ "$rebuilt_code" != "$new_code" ] && [ "$(version_of "$rebuilt")" = "$new_version" ] \
  && ok "the rebuilt package: version $new_version, another product code" \
  || fail "the rebuilt package is no other build of $new_version: $rebuilt_code $(version_of "$rebuilt")"
# A file keeps its component's GUID from build to build and from version to
# version, as Windows Installer's component rules want (an upgrade that
# found another GUID for the same file would count it twice).  Each line:
# the file's name and its component's GUID.
components() {
  join -t $'\t' \
    <(LC_ALL=C.UTF-8 msiinfo export "$1" Component | tr -d '\r' | tail -n +4 | awk -F'\t' '{print $6 "\t" $2}' | sort) \
    <(LC_ALL=C.UTF-8 msiinfo export "$1" File | tr -d '\r' | tail -n +4 | awk -F'\t' '{print $1 "\t" $3}' | sort) \
    | cut -f 2,3 | sort
}
new_components=$(components "$msi")
if grep -q $'\tuPVelmora-ctl.exe$' <<<"$new_components" && [ "$(components "$rebuilt")" = "$new_components" ] \
   && [ "$(components "$old")" = "$new_components" ]; then
  ok "each file's component GUID is the same in $old_version, $new_version and its rebuild" \
    "($(wc -l <<<"$new_components") files, uPVelmora-ctl.exe among them)"
else
  fail "the components' GUIDs differ between the packages:"
  diff <(echo "$new_components") <(components "$rebuilt")
  diff <(echo "$new_components") <(components "$old")
fi

# Installed as an administrator's deployment installs it.
msiexec /i "$msi" || fail "msiexec /i failed"
if [ "$(files_of "$installed")" = "$expected" ]; then
  ok "msiexec /i: the program's folder under Program Files, file for file"
else
  fail "msiexec /i: the installed files differ:"; diff <(echo "$expected") <(files_of "$installed")
fi
[ "$(menu_links | wc -l)" -eq 1 ] && links_to_launcher "$(menu_links)" \
  && ok "Start-menu shortcut ｳﾞｪﾙﾓﾗ to uPVelmora-start.exe ($(menu_links | sed "s|^$drive_c/||"))" \
  || fail "no single Start-menu shortcut to uPVelmora-start.exe: $(menu_links)"
[ "$(entry_version "$new_code")" = "$new_version" ] && ok "uninstall entry with version $new_version" \
  || fail "uninstall entry: '$(entry_version "$new_code")', not $new_version"
[ "$(uninstall_entries)" -eq 1 ] && ok "one uninstall entry" || fail "$(uninstall_entries) uninstall entries"
location=$(entry_value "$new_code" InstallLocation)
[ "${location%\\}" = 'C:\Program Files\uPVelmora' ] && ok "the uninstall entry shows the folder: $location" \
  || fail "the uninstall entry's InstallLocation: '$location'"
[ ! -e "$installed/uPVelmora.conf" ] && ok "no uPVelmora.conf under Program Files" \
  || fail "uPVelmora.conf was installed under Program Files"
[ -z "$(startup_links)" ] && ok "no start at login unless AUTOSTART=1" || fail "a Startup shortcut by default"

# Started as the shortcut starts it.
win 'C:\Program Files\uPVelmora\uPVelmora-start.exe' >/dev/null 2>&1 &
if wait_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 60 >/dev/null; then
  ok "the program installed by the MSI shows its main window"
else
  fail "the program installed by the MSI shows no window"
fi
cmp -s "$appdata/uPVelmora.conf" "$installed/uPVelmora.conf.example" && ok "the starter file was put into %APPDATA%\\uPVelmora" \
  || fail "no starter file in $appdata"
win "$tools/slotsend.exe" uPVelmora || fail "slotsend.exe failed"
wait_no_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 10 && ok "the close command ended it" \
  || fail "still running after the close command"
wineserver -w

msiexec /x "$msi" || fail "msiexec /x failed"
nothing_left "msiexec /x"
[ -f "$appdata/uPVelmora.conf" ] && ok "the user's configuration folder stays" || fail "the user's configuration was removed"

# Start at login as a property of the deployment.
msiexec /i "$msi" AUTOSTART=1 || fail "msiexec /i AUTOSTART=1 failed"
if links_to_launcher "$(startup_links | head -n 1)"; then
  ok "AUTOSTART=1: a Startup shortcut to uPVelmora-start.exe ($(startup_links | head -n 1 | sed "s|^$drive_c/||"))"
else
  fail "AUTOSTART=1 made no Startup shortcut to the launcher"
fi
msiexec /x "$msi" || fail "msiexec /x failed"
nothing_left "msiexec /x after AUTOSTART=1"

# The upgrade: the older version, then this one over it.
msiexec /i "$old" || fail "msiexec /i of $old_version failed"
[ "$(entry_version "$old_code")" = "$old_version" ] && ok "version $old_version installed" \
  || fail "version $old_version not installed"
msiexec /i "$msi" || fail "msiexec /i over $old_version failed"
if [ -z "$(entry_version "$old_code")" ] && [ "$(entry_version "$new_code")" = "$new_version" ]; then
  ok "the upgrade leaves one installation: $new_version, the entry of $old_version gone"
else
  fail "after the upgrade: $old_version entry '$(entry_version "$old_code")', $new_version entry '$(entry_version "$new_code")'"
fi
[ "$(files_of "$installed")" = "$expected" ] && ok "after the upgrade the program's folder is whole" \
  || fail "after the upgrade the installed files differ"
msiexec /x "$msi" || fail "msiexec /x after the upgrade failed"
nothing_left "msiexec /x after the upgrade"

# A rebuild of the same version, deployed over the first build: it takes
# its place, as sites rebuild and deploy again.
msiexec /i "$msi" || fail "msiexec /i of the first build failed"
msiexec /i "$rebuilt" || fail "msiexec /i of the rebuild over the first build failed"
if [ -z "$(entry_version "$new_code")" ] && [ "$(entry_version "$rebuilt_code")" = "$new_version" ] \
   && [ "$(uninstall_entries)" -eq 1 ]; then
  ok "the rebuild of $new_version replaced the first build: one uninstall entry"
else
  fail "after the rebuild: $(uninstall_entries) uninstall entries, first build '$(entry_version "$new_code")'," \
    "rebuild '$(entry_version "$rebuilt_code")'"
fi
[ "$(files_of "$installed")" = "$expected" ] && ok "after the rebuild the program's folder is whole" \
  || fail "after the rebuild the installed files differ"
msiexec /x "$rebuilt" || fail "msiexec /x of the rebuild failed"
nothing_left "msiexec /x of the rebuild"
summary
