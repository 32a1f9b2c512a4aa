#!/usr/bin/env bash
# The game in a small world: the demo world as the default one. The first
# frame shows it with the frame rate in green at the top left; B shows the
# BSP view and B again the world; Run World loads a world chosen in the file
# dialog; F2 goes full screen and back to 800 x 600; "Quit" ends the game
# with status 0.
# Arguments: the game executable, the build folder.
set -euo pipefail
testName=world_demo
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

[ -f "$build/game/Worlds/demo.wrl" ] || fail "the build has no demo world in $build/game/Worlds"
makeRuntimeTree
cp "$build/game/Worlds/demo.wrl" "$work/Worlds/canyon.wrl"
cp "$build/game/Worlds/demo.wrl" "$work/Worlds/second.wrl"
cp "$build/game/Textures/"* "$work/Textures/"
startGame

gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
sleep 1
for pattern in '^Error$' "$messageCaption"; do
  [ "$(countWindows "$pattern")" -eq 0 ] || fail "a box ($pattern) appeared at start-up"
done

# The demo world: a tiled yard with a red, a blue and a yellow block ahead.
shoot world
red='rgb(180,60,50)'
blue='rgb(50,90,180)'
yellow='rgb(185,156,39)'
for colour in "$red" "$blue" "$yellow"; do
  atLeast "$(colourShare world "$colour")" 0.01 || fail "the world shot lacks $colour"
done
atLeast "$(brightness world)" 0.2 || fail "the world shot is too dark"
convert "$work/shots/world.png" -crop 120x25+0+0 +repage "$work/shots/fps.png"
atLeast "$(colourShare fps 'rgb(0,255,0)' 25%)" 0.02 || fail "no green frame-rate text at the top left"

# BSP view and back.
focusGame
xdotool key b
shoot bsp
sameImage world bsp && fail "B did not change the view"
# Where the yellow block stands: the BSP view's node colours are random, so
# only this spot is compared, not the whole frame.
for shot in world bsp; do
  convert "$work/shots/$shot.png" -crop 140x60+305+320 +repage "$work/shots/$shot-block.png"
done
atLeast "$(colourShare world-block "$yellow")" 0.5 || fail "the yellow block is not straight ahead"
atLeast "$(colourShare bsp-block "$yellow")" 0.05 && fail "the BSP view still shows the textured yellow block"
xdotool key b
shoot again
atLeast "$(colourShare again "$yellow")" 0.01 || fail "B again did not bring the world back"

# Run World: type the path of the second world into the dialog.
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
[ "$(countWindows '^Error$')" -eq 0 ] || fail "the chosen world did not load"
shoot second
atLeast "$(colourShare second "$yellow")" 0.005 || fail "the chosen world is not shown"

# Full screen and back (last: the view may turn as the window centre moves).
focusGame
xdotool key F2
sleep 1
eval "$(xdotool getwindowgeometry --shell "$gameWindow")"
[ "$WIDTH" -gt 800 ] || fail "F2 did not enlarge the window (width $WIDTH)"
xdotool key F2
sleep 1
eval "$(xdotool getwindowgeometry --shell "$gameWindow")"
[ "$WIDTH" -eq 800 ] && [ "$HEIGHT" -eq 600 ] || fail "F2 again did not restore 800 x 600 (${WIDTH}x$HEIGHT)"

chooseMenu 2
expectExitZero "Quit"
echo "$testName: passed"
