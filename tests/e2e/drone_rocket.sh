#!/usr/bin/env bash
# The rocket in the real game: a left click fires it at the one drone
# standing ahead; the drone's green disappears from the view in a burst and
# is back about ten seconds of play later.
# Runs in a runtime tree of its own whose default world is written here: a
# grey floor and an untextured drone box, coloured green by the world's
# ambient light. No textures, so nothing the rocket binds can tint the view.
# Arguments: the game executable, the build folder.
set -euo pipefail

testName=drone_rocket
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

makeRuntimeTree

{
  echo "0 0.3 0"      # player start: resting on the floor, looking down -z
  echo "0.1 0.9 0.1"  # ambient: what dynamic lighting paints the drone
  echo "0"
  echo "2"
  echo "worldspawn 1"
  quad 0.4 0.4 0.4 0 1 0  -100 0 -100  -100 0 100  100 0 100  100 0 -100
  # The drone: a 2-unit box at eye height, 15 ahead, standing still.
  drone 0 1.8 -15
  floorTree
} >"$work/Worlds/canyon.wrl"

startGame
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
closeStartupBoxes

green='rgb(26,230,26)'
focusGame
xdotool key f
shoot before
atLeast "$(colourShare before "$green")" 0.005 || fail "the green drone is not ahead at the start"

# Fire: a plain click, pressed and released at once, between two frames.
focusGame
xdotool click 1
clicked=$SECONDS
sleep 1
shoot gone
atLeast "$(colourShare gone "$green")" 0.0005 && fail "the drone is still there after the shot"

# Back about ten seconds after it was destroyed.
back=
while [ $((SECONDS - clicked)) -le 25 ]; do
  sleep 1
  shoot later
  if atLeast "$(colourShare later "$green")" 0.005; then back=$((SECONDS - clicked)); break; fi
done
[ -n "$back" ] || fail "the drone did not come back within 25 seconds"
[ "$back" -ge 8 ] || fail "the drone came back after only $back seconds"
echo "$testName: the drone was back after about $back seconds"

focusGame
xdotool key Escape
expectExitZero "Escape"
echo "$testName: passed"
