#!/usr/bin/env bash
# The player in the real game: walking with "w" moves the camera (the "P"
# report changes), the mouse turns the view, turning back restores it.
# Runs in a runtime tree of its own whose default world is written here:
# a floor with a red panel ahead and a blue one to the left.
# Arguments: the game executable, the build folder.
set -euo pipefail

testName=player_walk
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

makeRuntimeTree

{
  echo "0 0.3 0"   # player start: resting on the floor
  echo "1 1 1"
  echo "0"         # no textures
  echo "1"
  echo "worldspawn 3"
  quad 0.4 0.4 0.4 0 1 0  -100 0 -100  -100 0 100  100 0 100  100 0 -100
  quad 0.9 0.1 0.1 0 0 1  -10 0 -40  10 0 -40  10 12 -40  -10 12 -40
  quad 0.1 0.2 0.9 1 0 0  -40 0 10  -40 0 -10  -40 12 -10  -40 12 10
  floorTree
} >"$work/Worlds/canyon.wrl"

# --- helpers ------------------------------------------------------------
# Shows the camera position with "P", keeps a picture of the box, closes it.
cameraReport() {
  focusGame
  xdotool key p
  local box
  box=$(waitForWindow "$messageCaption" 10) || fail "\"P\" showed no message box"
  sleep 0.3  # let the box draw its text
  import -window "$box" "$work/shots/$1.png"
  closeBox "$box"
}

# Moves the mouse sideways by $1 pixels and keeps the view as $2, which must
# differ from the view $3: every move must reach the game, even though it
# re-centres the cursor every frame.
turnWithMouse() {
  xdotool mousemove_relative -- "$1" 0
  shoot "$2"
  # A busy machine may take longer than a shot's pause to draw the next
  # frame; a move that was lost never shows, however long we wait.
  local tries=1
  while sameImage "$2" "$3" && [ $tries -lt 5 ]; do
    shoot "$2"
    tries=$((tries + 1))
  done
  sameImage "$2" "$3" && fail "moving the mouse by $1 pixels did not turn the view"
  return 0
}

# --- the run ------------------------------------------------------------
startGame

gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
closeStartupBoxes

focusGame
xdotool key f  # no frame-rate text: still views must match to the pixel
shoot start

# Turning with the mouse: 90 pixels left is a quarter turn to the left, so
# the blue panel comes into view; 90 back restores the view.
red='rgb(230,26,26)'
blue='rgb(26,51,230)'
atLeast "$(colourShare start "$red")" 0.05 || fail "the red panel is not ahead at the start"
turnWithMouse -90 turned start
turnWithMouse 90 back turned
atLeast "$(colourShare turned "$blue")" 0.05 || fail "turning left did not bring the blue panel into view"
atLeast "$(colourShare turned "$red")" 0.01 && fail "the red panel is still in view after a quarter turn"
sameImage start back || fail "turning back did not restore the view ($(differentPixels start back) pixels differ)"

# A burst that carries the pointer past the window's right edge within one
# frame still counts in full: 450 pixels right is 90 degrees right.
turnWithMouse 90 right back
turnWithMouse -90 back2 right
turnWithMouse 450 farRight back2
sameImage farRight right ||
  fail "a move past the window edge was cut short ($(differentPixels farRight right) pixels differ)"
turnWithMouse -90 back3 farRight

# Walking: "w" held for a second moves the camera forward.
cameraReport reportStart
cameraReport reportStill
sameImage reportStart reportStill || fail "the camera moved with no input"
focusGame
xdotool keydown w
sleep 1
xdotool keyup w
shoot walked
cameraReport reportWalked
sameImage reportStart reportWalked && fail "holding w did not move the camera"
redStart=$(colourShare start "$red")
redWalked=$(colourShare walked "$red")
atLeast "$redWalked" "$(awk -v a="$redStart" 'BEGIN { print a * 1.5 }')" ||
  fail "the red panel did not grow as the player walked towards it ($redStart -> $redWalked)"

# Escape ends the game with status 0.
focusGame
xdotool key Escape
expectExitZero "Escape"
echo "$testName: passed"
