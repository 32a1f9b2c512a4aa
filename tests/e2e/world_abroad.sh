#!/usr/bin/env bash
# A player with a German locale (made here with localedef): after the help
# box has brought up GTK, which takes the user's locale, Run World still
# loads a world whose numbers have decimal points.
# Arguments: the game executable, the build folder.
set -euo pipefail
testName=world_abroad
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

[ -f "$build/game/Worlds/demo.wrl" ] || fail "the build has no demo world in $build/game/Worlds"
makeRuntimeTree
cp "$build/game/Worlds/demo.wrl" "$work/Worlds/canyon.wrl"
cp "$build/game/Worlds/demo.wrl" "$work/Worlds/second.wrl"
cp "$build/game/Textures/"* "$work/Textures/"

mkdir -p "$work/locales"
localedef -i de_DE -f UTF-8 "$work/locales/de_DE.UTF-8" >/dev/null 2>&1 ||
  fail "localedef could not make de_DE.UTF-8 (scripts/setup.sh installs the locales package)"
# Only the game runs in German; the measuring tools here stay in C.
german=(env LOCPATH="$work/locales" LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8)
[ "$("${german[@]}" /usr/bin/printf '%.2f' 0.5)" = "0,50" ] || fail "the German locale is not in effect"
(cd "$work/Bin" && exec "${german[@]}" ./game) >"$work/game.log" 2>&1 &
gamePid=$!

gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
sleep 1
[ "$(countWindows '^Error$')" -eq 0 ] || fail "the default world did not load"

# The help box: GTK comes up and sets the user's locale.
chooseMenu 0
box=$(waitForWindow "$messageCaption" 10) || fail "Help showed no message box"
pressIn "$box" Return
waitForNoWindow "$messageCaption" 10 || fail "the help box did not close"

# Run World afterwards still reads "0.5" as a half.
chooseMenu 1
dialog=$(waitForWindow '^Open$' 15) || fail "Run World showed no file dialog"
xdotool windowfocus "$dialog" 2>/dev/null || true
sleep 0.3
xdotool key ctrl+l
sleep 0.3
xdotool type --delay 20 "$work/Worlds/second.wrl"
sleep 0.3
xdotool key Return
waitForNoWindow '^Open$' 10 || fail "the file dialog did not close"
sleep 1
[ "$(countWindows '^Error$')" -eq 0 ] || fail "the chosen world was refused under the German locale"
shoot second
atLeast "$(colourShare second 'rgb(185,156,39)')" 0.005 || fail "the chosen world is not shown"

chooseMenu 2
expectExitZero "Quit"
echo "$testName: passed"
