#!/usr/bin/env bash
# Scenery in the real game: a small world with a skybox, a light and a
# vehicle. The sky is not black, the light's corona shows, and Enter boards
# the vehicle: the "P" report then reads as it does for a player who starts
# where the vehicle stands, and the red ball is gone (driven, it is a shell
# around the player).
# Arguments: the game executable, the build folder.
set -euo pipefail

testName=scenery_board
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

[ -f "$build/game/Textures/skyFront.bmp" ] || fail "the build has no sky textures in $build/game/Textures"
makeRuntimeTree
cp "$build/game/Textures/"* "$work/Textures/"

# skyFace NAME then four corners of the unit cube seen from inside.
skyFace() {
  local name=$1
  shift
  echo "..\\Textures\\$name 0 0 0 4"
  local uv=("0 0" "1 0" "1 1" "0 1") k=0
  while [ $# -gt 0 ]; do
    echo "  $1 $2 $3 ${uv[$k]} 0 0 0 1 1 1"
    k=$((k + 1))
    shift 3
  done
}
# world START: the same world with the player starting at START.
world() {
  echo "$1"
  echo "1 1 1"
  echo "0"
  echo "4"
  echo "Skybox 6"
  skyFace skyFront.bmp  -1 -1 -1   1 -1 -1   1 1 -1   -1 1 -1
  skyFace skyBack.bmp    1 -1 1   -1 -1 1   -1 1 1     1 1 1
  skyFace skyLeft.bmp   -1 -1 1   -1 -1 -1  -1 1 -1   -1 1 1
  skyFace skyRight.bmp   1 -1 -1   1 -1 1    1 1 1     1 1 -1
  skyFace skyUp.bmp     -1 1 -1    1 1 -1    1 1 1    -1 1 1
  skyFace skyDown.bmp   -1 -1 1    1 -1 1    1 -1 -1  -1 -1 -1
  echo "worldspawn 1"
  echo "none 0 1 0 4"
  for corner in "-100 0 -100" "-100 0 100" "100 0 100" "100 0 -100"; do
    echo "  $corner 0 0 0 1 0 0.4 0.4 0.4"
  done
  echo "Light -3 0.8 -12  0 1 0  10 1.5"
  echo "Vehicle 1 1 1  2 0.3 -6  8"
  floorTree
}

# Starts the game and waits for its window with no box open.
start() {
  startGame
  gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
  sleep 1
  for pattern in '^Error$' "$messageCaption"; do
    [ "$(countWindows "$pattern")" -eq 0 ] || fail "a box ($pattern) appeared at start-up"
  done
  focusGame
  xdotool key f  # no frame-rate text over the pictures
}

# Shows the camera position with "P", keeps a picture of the box, closes it.
cameraReport() {
  focusGame
  xdotool key p
  local box
  box=$(waitForWindow "$messageCaption" 10) || fail "\"P\" showed no message box"
  sleep 0.3
  import -window "$box" "$work/shots/$1.png"
  closeBox "$box"
}

quit() {
  focusGame
  xdotool key Escape
  expectExitZero "$1"
}

# --- the player at the origin, the vehicle ahead on the right -------------
world "0 0.3 0" >"$work/Worlds/canyon.wrl"
start
shoot start
convert "$work/shots/start.png" -crop 800x150+0+0 +repage "$work/shots/sky.png"
atLeast "$(brightness sky)" 0.3 || fail "the sky is dark ($(brightness sky))"
atLeast "$(colourShare start 'rgb(60,255,50)' 20%)" 0.003 || fail "no green corona over the floor"
atLeast "$(colourShare start 'rgb(255,0,0)' 10%)" 0.002 || fail "the vehicle's red ball is not in view"

cameraReport before
# A plain Enter, pressed and released between two frames, boards.
focusGame
xdotool key Return
shoot aboard
cameraReport boarded
sameImage before boarded && fail "Enter did not move the player"
atLeast "$(colourShare aboard 'rgb(255,0,0)' 10%)" 0.0005 && fail "the red ball still shows after boarding"
quit "Escape after boarding"

# --- the same world, the player starting where the vehicle stands --------
world "2 0.3 -6" >"$work/Worlds/canyon.wrl"
start
cameraReport atVehicle
quit "Escape in the second world"
sameImage boarded atVehicle ||
  fail "after boarding the camera is not where the vehicle stands ($(differentPixels boarded atVehicle) pixels differ)"
echo "$testName: passed"
