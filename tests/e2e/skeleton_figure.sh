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

# F6 from the start position, without the frame-rate text; a second shot
# some half a second later, when given a name for it.
shootThirdPerson() {
  focusGame
  xdotool key f
  xdotool key F6
  sleep 0.5
  shoot "$1"
  if [ -n "${2:-}" ]; then
    sleep 0.4
    import -window "$gameWindow" "$work/shots/$2.png"
  fi
  focusGame
  xdotool key Escape
  expectExitZero "Escape"
}

# The region below the middle of the view where the figure stands, 4 units
# ahead of the camera.
cropBody() { convert "$work/shots/$1.png" -crop 240x200+280+400 +repage "$work/shots/$1-body.png"; }

# With the skeleton: no box at all.
startGame
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
sleep 1
for pattern in '^Error$' "$messageCaption"; do
  [ "$(countWindows "$pattern")" -eq 0 ] || fail "a box ($pattern) appeared at start-up with test.skl"
done
shootThirdPerson figure later

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

# Where the body stands the pictures with and without it differ by far
# more than a few pixels; and the figure walks on the wall clock, so half a
# second later (not a whole one-second cycle) its limbs have moved.
for shot in figure later bare; do cropBody "$shot"; done
changed=$(differentPixels figure-body bare-body)
[ "$changed" -ge 300 ] || fail "F6 shows no figure where the body stands ($changed pixels differ)"
moved=$(differentPixels figure-body later-body)
[ "$moved" -ge 30 ] || fail "the figure did not move in half a second ($moved pixels differ)"
echo "$testName: passed"
