#!/usr/bin/env bash
# The player's body in the canyon: with test.skl, F6 shows the walking
# figure in front of the camera and no box appears; without it, one "Error"
# box says so at start-up, the game runs on, and F6 shows the canyon alone.
# Arguments: the game executable, the build folder.
set -euo pipefail
testName=skeleton_figure
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

[ -f "$build/game/Bin/test.skl" ] || fail "the build has no test.skl in $build/game/Bin"
[ -f "$build/game/Worlds/canyon.wrl" ] || fail "the build has no canyon in $build/game/Worlds"
makeRuntimeTree
cp "$build/game/Worlds/canyon.wrl" "$work/Worlds/"
cp "$build/game/Textures/"* "$work/Textures/"

# F6 from the start position, without the frame-rate text.
shootThirdPerson() {
  focusGame
  xdotool key f
  xdotool key F6
  sleep 0.5
  shoot "$1"
  focusGame
  xdotool key Escape
  expectExitZero "Escape"
}

# With the skeleton: no box at all.
startGame
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
sleep 1
for pattern in '^Error$' "$messageCaption"; do
  [ "$(countWindows "$pattern")" -eq 0 ] || fail "a box ($pattern) appeared at start-up with test.skl"
done
shootThirdPerson figure

# Without it: one box, then the game as usual.
rm "$work/Bin/test.skl"
startGame
box=$(waitForWindow '^Error$' 30) || fail "no \"Error\" box for the missing test.skl"
import -window "$box" "$work/shots/error.png"
[ "$(countWindows '^Error$')" -eq 1 ] || fail "more than one \"Error\" box for the missing test.skl"
pressIn "$box" Return
waitForNoWindow '^Error$' 10 || fail "the \"Error\" box did not close on Return"
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear after the box"
sleep 1
[ "$(countWindows '^Error$')" -eq 0 ] || fail "a second \"Error\" box appeared"
shootThirdPerson bare

# The figure stands below the middle of the view, 4 units ahead of the
# camera: there the two pictures differ, by far more than a few pixels.
for shot in figure bare; do
  convert "$work/shots/$shot.png" -crop 240x200+280+400 +repage "$work/shots/$shot-body.png"
done
changed=$(differentPixels figure-body bare-body)
[ "$changed" -ge 300 ] || fail "F6 shows no figure where the body stands ($changed pixels differ)"
echo "$testName: passed"
