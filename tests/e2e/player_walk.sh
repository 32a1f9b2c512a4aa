#!/usr/bin/env bash
# The player in the real game: walking with "w" moves the camera (the "P"
# report changes), the mouse turns the view, turning back restores it.
# Runs in a runtime tree of its own whose default world is written here:
# a floor with a red panel ahead and a blue one to the left.
# Arguments: the game executable, the build folder.
set -euo pipefail

game=$(realpath "$1")
build=${2:-}
messageCaption='^      Message      $'

work=$(mktemp -d)
gamePid=
cleanup() {
  if [ -n "$gamePid" ] && kill -0 "$gamePid" 2>/dev/null; then kill "$gamePid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "player_walk: $*" >&2
  echo "player_walk: screenshots kept in $work" >&2
  trap - EXIT
  if [ -n "$gamePid" ] && kill -0 "$gamePid" 2>/dev/null; then kill "$gamePid" 2>/dev/null || true; fi
  exit 1
}

# --- the runtime tree ---------------------------------------------------
mkdir -p "$work/Bin" "$work/Worlds" "$work/Textures" "$work/shots"
ln -s "$game" "$work/Bin/game"
# The skeleton, when the build made one, spares a start-up message.
if [ -n "$build" ] && [ -f "$build/game/Bin/test.skl" ]; then
  cp "$build/game/Bin/test.skl" "$work/Bin/"
fi

# quad R G B NX NY NZ then four corners: an untextured polygon record.
quad() {
  local r=$1 g=$2 b=$3 nx=$4 ny=$5 nz=$6
  shift 6
  echo "none $nx $ny $nz 4"
  while [ $# -gt 0 ]; do
    echo "  $1 $2 $3 0 0 $nx $ny $nz $r $g $b"
    shift 3
  done
}
{
  echo "0 0.3 0"   # player start: resting on the floor
  echo "1 1 1"
  echo "0"         # no textures
  echo "1"
  echo "worldspawn 3"
  quad 0.4 0.4 0.4 0 1 0  -100 0 -100  -100 0 100  100 0 100  100 0 -100
  quad 0.9 0.1 0.1 0 0 1  -10 0 -40  10 0 -40  10 12 -40  -10 12 -40
  quad 0.1 0.2 0.9 1 0 0  -40 0 10  -40 0 -10  -40 12 -10  -40 12 10
  # The collision floor: plane, four corners with inward edge planes.
  echo "1"
  echo "0 1 0 0 4"
  echo " 0 0 1 100  -100 0 -100"
  echo " -1 0 0 100  100 0 -100"
  echo " 0 0 -1 100  100 0 100"
  echo " 1 0 0 100  -100 0 100"
  echo "0 0"
} >"$work/Worlds/canyon.wrl"

# --- helpers ------------------------------------------------------------
# Waits up to $2 seconds for a window whose name matches $1; prints its id.
waitForWindow() {
  local pattern=$1 seconds=$2 id
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -le $deadline ]; do
    id=$(xdotool search --name "$pattern" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$gamePid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

waitForNoWindow() {
  local pattern=$1 seconds=$2
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -le $deadline ]; do
    xdotool search --name "$pattern" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

closeBox() {
  xdotool windowfocus "$1" 2>/dev/null || true
  xdotool key Return
  waitForNoWindow "$messageCaption" 10 || fail "a message box did not close on Return"
}

focusGame() { xdotool windowfocus "$gameWindow" 2>/dev/null || true; }

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

shoot() {
  sleep 0.6  # a dozen frames or more
  import -window "$gameWindow" "$work/shots/$1.png"
}

differentPixels() { compare -metric AE "$work/shots/$1.png" "$work/shots/$2.png" null: 2>&1 || true; }
sameImage() {
  [ "$(convert "$work/shots/$1.png" rgb:- | md5sum)" = "$(convert "$work/shots/$2.png" rgb:- | md5sum)" ]
}
# Share of the picture in the given colour.
colourShare() {
  convert "$work/shots/$1.png" -fuzz 15% -fill white -opaque "$2" -fill black +opaque white \
    -format '%[fx:mean]' info:
}
atLeast() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# Moves the mouse sideways by $1 pixels and keeps the view as $2, which must
# differ from the view $3: every move must reach the game, even though it
# re-centres the cursor every frame.
turnWithMouse() {
  xdotool mousemove_relative -- "$1" 0
  shoot "$2"
  sameImage "$2" "$3" && fail "moving the mouse by $1 pixels did not turn the view"
  return 0
}

# --- the run ------------------------------------------------------------
(cd "$work/Bin" && exec ./game) >"$work/game.log" 2>&1 &
gamePid=$!

gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
# A box at start-up (a missing skeleton, say) would hold the game: note and close it.
for _ in 1 2 3; do
  box=$(xdotool search --name "$messageCaption|^Error$" 2>/dev/null | head -n 1 || true)
  [ -z "$box" ] && sleep 0.5 && continue
  echo "player_walk: closing a start-up message box" >&2
  xdotool windowfocus "$box" 2>/dev/null || true
  xdotool key Return
  sleep 0.5
done

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
deadline=$((SECONDS + 20))
while kill -0 "$gamePid" 2>/dev/null && [ $SECONDS -le $deadline ]; do sleep 0.1; done
kill -0 "$gamePid" 2>/dev/null && fail "the game did not end on Escape"
status=0
wait "$gamePid" || status=$?
gamePid=
[ "$status" -eq 0 ] || fail "the game ended with status $status"
echo "player_walk: passed"
