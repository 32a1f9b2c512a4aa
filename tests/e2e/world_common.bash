# Helpers for the e2e tests (sourced, not run on its own): a runtime tree of
# its own, the game started in it, windows waited for, message boxes closed,
# the pop-up menu driven with the mouse, pictures measured with ImageMagick.
# The sourcing script sets testName, game and build before sourcing.

messageCaption='^      Message      $'
work=$(mktemp -d)
gamePid=
gameWindow=

cleanup() {
  if [ -n "$gamePid" ] && kill -0 "$gamePid" 2>/dev/null; then kill "$gamePid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "$testName: $*" >&2
  echo "$testName: screenshots and log kept in $work" >&2
  trap - EXIT
  if [ -n "$gamePid" ] && kill -0 "$gamePid" 2>/dev/null; then kill "$gamePid" 2>/dev/null || true; fi
  exit 1
}

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

# drone X Y Z: a RobotDrone record, a white 2-unit box standing still.
drone() {
  echo "RobotDrone $1 $2 $3  -1 -1 -1 1 1 1  NULL 6"
  quad 1 1 1  0 0 1   -1 -1 1   1 -1 1   1 1 1   -1 1 1
  quad 1 1 1  0 0 -1   1 -1 -1  -1 -1 -1  -1 1 -1   1 1 -1
  quad 1 1 1  1 0 0    1 -1 1    1 -1 -1   1 1 -1   1 1 1
  quad 1 1 1  -1 0 0  -1 -1 -1  -1 -1 1   -1 1 1   -1 1 -1
  quad 1 1 1  0 1 0   -1 1 1     1 1 1     1 1 -1  -1 1 -1
  quad 1 1 1  0 -1 0  -1 -1 -1   1 -1 -1   1 -1 1  -1 -1 1
}

# The BSP section of a world whose only collision is the 200 x 200 floor
# at y 0: one node, its plane and four corners with inward edge planes.
floorTree() {
  echo "1"
  echo "0 1 0 0 4"
  echo " 0 0 1 100  -100 0 -100"
  echo " -1 0 0 100  100 0 -100"
  echo " 0 0 -1 100  100 0 100"
  echo " 1 0 0 100  -100 0 100"
  echo "0 0"
}

# Bin/ holding a link to the game, Worlds/, Textures/, shots/.
makeRuntimeTree() {
  mkdir -p "$work/Bin" "$work/Worlds" "$work/Textures" "$work/shots"
  ln -s "$game" "$work/Bin/game"
  # The skeleton, when the build made one, spares a start-up message.
  if [ -n "$build" ] && [ -f "$build/game/Bin/test.skl" ]; then cp "$build/game/Bin/test.skl" "$work/Bin/"; fi
}

startGame() {
  # Under AddressSanitizer the game's leak check at exit is off here: Mesa's
  # software rasteriser allocates from code it compiles at run time, which
  # belongs to no library a suppression could name. The unit and GL tests
  # keep the leak check on for everything the engine allocates.
  (cd "$work/Bin" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" exec ./game) \
    >"$work/game.log" 2>&1 &
  gamePid=$!
}

# Waits up to $2 seconds for a window whose name matches $1; prints its id.
waitForWindow() {
  local pattern=$1 seconds=$2 id
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -le $deadline ]; do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
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
    xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

countWindows() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

# Focuses a box and presses a key in it (Return for OK, Escape to cancel).
pressIn() {
  xdotool windowfocus "$1" 2>/dev/null || true
  sleep 0.2
  xdotool key "$2"
}

# Closes a message box with Return and waits until it is gone.
closeBox() {
  pressIn "$1" Return
  waitForNoWindow "$messageCaption" 10 || fail "a message box did not close on Return"
}

# A box at start-up (a missing skeleton, say) would hold the game: note and
# close it, up to three.
closeStartupBoxes() {
  local box
  for _ in 1 2 3; do
    box=$(xdotool search --name "$messageCaption|^Error$" 2>/dev/null | head -n 1 || true)
    [ -z "$box" ] && sleep 0.5 && continue
    echo "$testName: closing a start-up message box" >&2
    pressIn "$box" Return
    sleep 0.5
  done
}

focusGame() { xdotool windowfocus "$gameWindow" 2>/dev/null || true; }

shoot() {
  sleep 0.6  # a dozen frames or more
  import -window "$gameWindow" "$work/shots/$1.png"
}

# Share of the picture in the given colour.
colourShare() {
  convert "$work/shots/$1.png" -fuzz "${3:-15%}" -fill white -opaque "$2" -fill black +opaque white \
    -format '%[fx:mean]' info:
}
# Mean brightness, 0 for black.
brightness() { convert "$work/shots/$1.png" -colorspace Gray -format '%[fx:mean]' info:; }
atLeast() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
sameImage() {
  [ "$(convert "$work/shots/$1.png" rgb:- | md5sum)" = "$(convert "$work/shots/$2.png" rgb:- | md5sum)" ]
}
# How many pixels differ between two pictures.
differentPixels() { compare -metric AE "$work/shots/$1.png" "$work/shots/$2.png" null: 2>&1 || true; }

# Opens the pop-up menu with the right button in the middle of the game
# window and releases the button over entry $1 (0 Help, 1 Run World, 2 Quit).
chooseMenu() {
  local entry=$1 menu geometry x y w h target step
  focusGame
  xdotool mousemove --window "$gameWindow" 400 300
  sleep 0.3
  xdotool mousedown 3
  menu=$(waitForWindow '^freeglut menu$' 10) || fail "the pop-up menu did not open"
  sleep 0.5
  geometry=$(xdotool getwindowgeometry --shell "$menu")
  x=$(echo "$geometry" | sed -n 's/^X=//p')
  y=$(echo "$geometry" | sed -n 's/^Y=//p')
  w=$(echo "$geometry" | sed -n 's/^WIDTH=//p')
  h=$(echo "$geometry" | sed -n 's/^HEIGHT=//p')
  target=$((y + h * (2 * entry + 1) / 6))
  # The menu follows the pointer through motion events: go there in steps.
  for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((x + w / 3)) $((y + (target - y) * step / 8))
    sleep 0.05
  done
  sleep 0.3
  xdotool mouseup 3
  waitForNoWindow '^freeglut menu$' 10 || fail "the pop-up menu did not close"
}

# Escape or Quit: the game must end by itself with status 0.
expectExitZero() {
  local deadline=$((SECONDS + 20)) status=0
  while kill -0 "$gamePid" 2>/dev/null && [ $SECONDS -le $deadline ]; do sleep 0.1; done
  kill -0 "$gamePid" 2>/dev/null && fail "the game did not end ($1)"
  wait "$gamePid" || status=$?
  gamePid=
  [ "$status" -eq 0 ] || fail "the game ended with status $status ($1)"
}
