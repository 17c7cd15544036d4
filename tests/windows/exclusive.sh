#!/usr/bin/env bash
# The NSIS installer and the MSI share one folder, so neither installs over
# the other's installation: run silently, each refuses with a non-zero
# status and changes nothing, and the installation there stays whole and
# removable.
#
# Usage: tests/windows/exclusive.sh SETUP.exe PACKAGE.msi
# The environment is that of tests/windows/run.sh.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 SETUP.exe PACKAGE.msi" >&2; exit 2; }
setup=$(readlink -f "$1")
msi=$(readlink -f "$2")
here=$(dirname "$(readlink -f "$0")")
# shellcheck source=tests/windows/lib.sh
. "$here/lib.sh"
trap 'wineserver -k 2>/dev/null || true' EXIT

win() { env LC_ALL=ja_JP.UTF-8 wine "$@"; }
msiexec() { win msiexec "$1" "$(winepath -w "$2" 2>/dev/null)" /qn; local rc=$?; wineserver -w; return $rc; }
installed=$WINEPREFIX/drive_c/Program\ Files/uPVelmora
nsis_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\uPVelmora'
code=$(LC_ALL=C.UTF-8 msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
msi_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code"
has_key() { win reg query "$1" >/dev/null 2>&1; }
listing() { (cd "$installed" 2>/dev/null && find . | sort); }

# The NSIS installer over an MSI installation.
msiexec /i "$msi" || fail "msiexec /i failed"
before=$(listing)
win "$setup" /S
rc=$?
wineserver -w
[ "$rc" -ne 0 ] && ok "setup.exe /S over the MSI's installation is refused (status $rc)" \
  || fail "setup.exe /S over the MSI's installation ended with status 0"
[ "$(listing)" = "$before" ] && ! has_key "$nsis_key" && [ "$(uninstall_entries)" -eq 1 ] \
  && ok "the refused installer changed nothing: the MSI's files and its one uninstall entry" \
  || fail "the refused installer changed the installation: $(uninstall_entries) entries; $(diff <(echo "$before") <(listing) | tr '\n' ' ')"
msiexec /x "$msi" || fail "msiexec /x failed"
[ ! -e "$installed" ] && ! has_key "$msi_key" && ok "the MSI's installation is still removed whole" \
  || fail "left after msiexec /x: $(listing | tr '\n' ' ')"

# The MSI over an installation of the NSIS installer.
win "$setup" /S
wineserver -w
before=$(listing)
msiexec /i "$msi"
rc=$?
[ "$rc" -ne 0 ] && ok "msiexec /i over the installer's installation is refused (status $rc)" \
  || fail "msiexec /i over the installer's installation ended with status 0"
[ "$(listing)" = "$before" ] && ! has_key "$msi_key" && [ "$(uninstall_entries)" -eq 1 ] \
  && ok "the refused MSI changed nothing: the installer's files and its one uninstall entry" \
  || fail "the refused MSI changed the installation: $(uninstall_entries) entries; $(diff <(echo "$before") <(listing) | tr '\n' ' ')"
win "$installed/uninstall.exe" /S
wineserver -w
[ ! -e "$installed" ] && ! has_key "$nsis_key" && ok "the installer's installation is still removed whole" \
  || fail "left after uninstall.exe /S: $(listing | tr '\n' ' ')"
summary
