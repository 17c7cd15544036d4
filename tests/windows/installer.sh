#!/usr/bin/env bash
# The Windows installer under Wine, as a user or an administrator runs it:
# installed silently (/S) under Program Files with its uninstaller and a
# Start-menu shortcut to the launcher, the starter file under a name the
# program never opens (no uPVelmora.conf where a user cannot save it);
# started through that shortcut's target, the program works in
# %APPDATA%\uPVelmora, where the starter file is put, shows its window,
# answers the installed command tool and ends on the close command; the uninstaller removes every file it put and
# nothing else (a file an administrator left in the folder stays), and the
# user's folder stays.  A second silent install with /AUTOSTART=1, over a
# uPVelmora.conf an earlier version left in the folder, puts a shortcut to
# the launcher in the Startup folder of all users, none in the installing
# user's, and keeps that file aside as uPVelmora.conf.old; its uninstaller
# takes the shortcut away and leaves that file.
#
# With CERT.pem the installed programs and the uninstaller the installer
# wrote must carry valid signatures by that certificate.
#
# Usage: tests/windows/installer.sh SETUP.exe TOOLS_FOLDER [CERT.pem]
# TOOLS_FOLDER holds slotsend.exe with the DLLs it needs.  The environment
# is that of tests/windows/run.sh.
set -uo pipefail
[ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $0 SETUP.exe TOOLS_FOLDER [CERT.pem]" >&2; exit 2; }
setup=$(readlink -f "$1")
tools=$(readlink -f "$2")
cert=${3:-}
here=$(dirname "$(readlink -f "$0")")
# shellcheck source=tests/windows/lib.sh
. "$here/lib.sh"
trap 'wineserver -k 2>/dev/null || true' EXIT

win() { env LC_ALL=ja_JP.UTF-8 wine "$@"; }
drive_c=$WINEPREFIX/drive_c
installed=$drive_c/Program\ Files/uPVelmora
user=$(wine_user) || fail "Wine's cmd gives no user name"
appdata=$drive_c/users/$user/AppData/Roaming/uPVelmora
shortcut=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/ｳﾞｪﾙﾓﾗ.lnk
# The Startup folders of the installing user and of all users, whatever
# case Wine spells them in.
startup_links() { find "$drive_c/users/$user" -ipath '*/start menu/programs/startup/*.lnk' 2>/dev/null; }
common_startup_links() { find "$drive_c/ProgramData" -ipath '*/start menu/programs/startup/*.lnk' 2>/dev/null; }
# True when the shortcut file names the launcher (its path is stored both as
# ANSI and as UTF-16 text).
links_to_launcher() {
  [ -f "$1" ] && { strings -a "$1"; strings -a -el "$1"; } | grep 'uPVelmora-start.exe$' >/dev/null
}
rm -rf "$appdata"

win "$setup" /S
wineserver -w
missing=""
for f in uPVelmora.exe uPVelmora-start.exe uPVelmora-ctl.exe uPVelmora.conf.example uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
         libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
         styles/qwindowsvistastyle.dll qt-licenses/LGPL-3.0-only.txt; do
  [ -f "$installed/$f" ] || missing="$missing $f"
done
[ -z "$missing" ] && ok "installed under Program Files" || fail "not installed:$missing"
[ ! -e "$installed/uPVelmora.conf" ] && ok "no uPVelmora.conf under Program Files" \
  || fail "uPVelmora.conf was installed under Program Files"
[ "$(uninstall_entries)" -eq 1 ] && ok "one uninstall entry" || fail "$(uninstall_entries) uninstall entries"
if [ -n "$cert" ]; then
  for f in uninstall.exe uPVelmora.exe uPVelmora-start.exe uPVelmora-ctl.exe; do
    osslsigncode verify -CAfile "$cert" -in "$installed/$f" >/dev/null 2>&1 && ok "signed: installed $f" \
      || fail "no valid signature: installed $f"
  done
fi
[ ! -e "$installed/uPCorvane.exe" ] && [ ! -e "$installed/slotsend.exe" ] && ok "no stand-in tools installed" \
  || fail "the stand-in tools were installed"
[ -z "$(startup_links)$(common_startup_links)" ] && ok "no start at login unless chosen" \
  || fail "a Startup shortcut was made by default"

# The shortcut names the launcher; started as the shortcut starts it.
if links_to_launcher "$shortcut"; then
  ok "Start-menu shortcut ｳﾞｪﾙﾓﾗ to uPVelmora-start.exe"
else
  fail "no Start-menu shortcut to uPVelmora-start.exe"
fi
win 'C:\Program Files\uPVelmora\uPVelmora-start.exe' >/dev/null 2>&1 &
if main=$(wait_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 60); then
  ok "the installed program shows its main window"
else
  fail "the installed program shows no window"
fi
if cmp -s "$appdata/uPVelmora.conf" "$installed/uPVelmora.conf.example"; then
  ok "the starter file was put into %APPDATA%\\uPVelmora"
else
  fail "no starter file in $appdata"
fi
# The installed command tool reaches it: the starter file's guide list is
# empty, so it lists nothing and is done.
st=0
out=$(win 'C:\Program Files\uPVelmora\uPVelmora-ctl.exe' list 2>&1) || st=$?
[ "$st" -eq 0 ] && [ -z "$out" ] && ok "the installed uPVelmora-ctl.exe lists the running program's empty schedule" \
  || fail "the installed uPVelmora-ctl.exe list: status $st, printed: $(iconv -f CP932 -t UTF-8 <<<"$out")"
win "$tools/slotsend.exe" uPVelmora || fail "slotsend.exe failed"
[ -n "${main:-}" ] && wait_no_window '^ｳﾞｪﾙﾓﾗ \[uPVelmora\]$' 10 \
  && ok "the close command ended it" || fail "still running after the close command"
wineserver -w

# The uninstaller: nothing of the program stays; what an administrator put
# in the folder does, and so does the user's folder.
printf 'notes\r\n' >"$installed/notes.txt"
win "$installed/uninstall.exe" /S
wineserver -w
left=$(cd "$installed" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./notes.txt " ] && ok "the uninstaller removed its own files, not the one another put beside them" \
  || fail "left in the folder: '$left'"
rm -rf "$installed"
[ ! -e "$shortcut" ] && ok "the shortcut is gone" || fail "the shortcut stays"
win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\uPVelmora' >/dev/null 2>&1 \
  && fail "the uninstall entry stays" || ok "the uninstall entry is gone"
[ -f "$appdata/uPVelmora.conf" ] && ok "the user's configuration folder stays" || fail "the user's configuration was removed"

# Start at login, chosen on the command line: for every user who logs in,
# as README says, not for the installing account alone.  Installed where
# an earlier version left its starter file under the name the program
# opens.
mkdir -p "$installed"
printf '[Section_Entry]\r\nEntryItems=1\r\nEntryItem_000=saved here,\r\n' >"$installed/uPVelmora.conf"
win "$setup" /S /AUTOSTART=1
wineserver -w
[ ! -e "$installed/uPVelmora.conf" ] && grep -q 'saved here' "$installed/uPVelmora.conf.old" 2>/dev/null \
  && ok "an earlier version's uPVelmora.conf is kept aside as uPVelmora.conf.old" \
  || fail "an earlier version's uPVelmora.conf: $(ls "$installed" | grep conf | tr '\n' ' ')"
if [ "$(common_startup_links | wc -l)" -eq 1 ] && links_to_launcher "$(common_startup_links)"; then
  ok "/AUTOSTART=1: a shortcut to uPVelmora-start.exe in the Startup folder of all users"
else
  fail "/AUTOSTART=1 made no shortcut to the launcher in the Startup folder of all users: $(common_startup_links)"
fi
[ -z "$(startup_links)" ] && ok "/AUTOSTART=1: none in the installing user's Startup folder" \
  || fail "/AUTOSTART=1 put a shortcut in the installing user's Startup folder: $(startup_links)"
win "$installed/uninstall.exe" /S
wineserver -w
left=$(cd "$installed" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')
[ -z "$(startup_links)$(common_startup_links)" ] && [ "$left" = "./uPVelmora.conf.old " ] \
  && ok "the uninstaller removed the Startup shortcut and its files, not the file kept aside" \
  || fail "left after uninstall: $(startup_links) $(common_startup_links) $left"
rm -rf "$installed"
summary
