#!/usr/bin/env bash
# The Debian package as a person on a Debian machine meets it:
#   install_test.sh DEB
# 1. lintian: no error and no warning but those the package overrides, each
#    with its reason (packaging/lintian-overrides).
# 2. Depends: computed (dpkg-shlibdeps), naming the libraries the programs
#    run with and nothing to build or test with.
# 3. `apt-get install DEB`, then the installed game as a person runs it
#    (installed_game.sh /usr, on a display of its own), then `apt-get remove`
#    leaves no file of the package behind.
# Installing needs root (CI runs as root) or sudo without a password;
# without either the test is skipped (exit 77). An arroyo installed before is
# replaced and removed. The package is removed again however the test ends.
set -euo pipefail
deb=$(realpath "${1:?usage: install_test.sh DEB}")
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
fail() { echo "install_test: $*" >&2; exit 1; }

as_root=(env DEBIAN_FRONTEND=noninteractive)
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    echo "install_test: skipped: installing a package needs root or sudo without a password"
    exit 77
  fi
  as_root=(sudo "${as_root[@]}")
fi
apt=("${as_root[@]}" apt-get -y -q -o DPkg::Lock::Timeout=600)

echo "== lintian $(basename "$deb")"
lintian_status=0
lintian_out=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) ||
  lintian_status=$?
grep -v 'running with root privileges is not recommended' <<<"$lintian_out" || true
[ "$lintian_status" -eq 0 ] || fail "lintian found errors or warnings (status $lintian_status)"

echo "== Depends"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends"
for needed in libc6 libstdc++6 libglx0 libglu1 libglut libgtk-3-0 libx11-6 libassimp; do
  grep -q "$needed" <<<"$depends" || fail "Depends names no $needed"
done
# Nothing to build with, test with or drive tests with.
if grep -Eq -- '-dev\b|\bg\+\+|\bgcc\b|clang|cmake|gtest|gmock|benchmark|embree|xvfb|xdotool|imagemagick|help2man|lintian' <<<"$depends"; then
  fail "Depends names a package the game does not need"
fi

# dpkg's state of arroyo: "ii" installed, empty or "?n" when it is not.
state() { dpkg-query -W -f='${db:Status-Abbrev}' arroyo 2>/dev/null | cut -c1-2 || true; }
present() {
  local s
  s=$(state)
  [ -n "$s" ] && [ "${s:1:1}" != "n" ]
}
# However the test ends, the package goes again, and the run goes on.
cleanup() {
  if present; then "${apt[@]}" remove arroyo </dev/null >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if present; then
  echo "install_test: arroyo $(dpkg-query -W -f='${Version}' arroyo) was installed; the test replaces and removes it"
fi

echo "== apt-get install $deb"
"${apt[@]}" install "$deb" </dev/null || fail "apt-get install failed"
[ "$(state)" = "ii" ] || fail "arroyo is not installed: '$(state)'"
# Every path of the package, and which were files, for after the removal.
mapfile -t paths < <(dpkg -L arroyo)
files=()
folders=()
for path in "${paths[@]}"; do
  [ "$path" = "/." ] && continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then folders+=("$path"); else files+=("$path"); fi
done
[ "${#files[@]}" -gt 20 ] || fail "the package holds only ${#files[@]} files"

echo "== the installed game, from an empty folder"
bash "$root/scripts/with-display.sh" --alone bash "$here/installed_game.sh" /usr ||
  fail "the installed game failed"

echo "== apt-get remove arroyo"
"${apt[@]}" remove arroyo </dev/null || fail "apt-get remove failed"
! present || fail "arroyo is still known to dpkg after its removal: '$(state)'"
left=()
for path in "${files[@]}"; do
  if [ -e "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
done
# A folder may stay only while another package has it (/usr/games, the
# icon theme's folders).
for path in "${folders[@]}"; do
  if [ -e "$path" ] && ! dpkg -S "$path" >/dev/null 2>&1; then left+=("$path/"); fi
done
[ "${#left[@]}" -eq 0 ] || fail "left behind after apt-get remove: ${left[*]}"
echo "install_test: passed (${#files[@]} files installed and removed)"
