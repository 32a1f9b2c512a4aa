#!/usr/bin/env bash
# A level made in a modelling tool, played: a glTF courtyard whose nodes
# name a drone and a player start is imported with `worldtool import` as the
# default world; the game shows it under the default sky, and a left click
# fires a rocket that takes the drone (of the game's own model) out of view.
# Arguments: the game executable, the build folder.
set -euo pipefail

testName=imported_level
game=$(realpath "$1")
build=${2:?the build folder}
source "$(dirname "$0")/world_common.bash"

makeRuntimeTree
mkdir -p "$work/model"
"$build/tests/write_courtyard" "$work/model/yard.gltf" target || fail "the model could not be written"
"$build/tools/worldtool" import "$work/model/yard.gltf" "$work/Worlds/canyon.wrl" \
  >"$work/import.out" 2>&1 || fail "the import failed: $(cat "$work/import.out")"
grep -q "1 RobotDrone (1 with the game's drone model)" "$work/import.out" \
  || fail "the import made no drone: $(cat "$work/import.out")"
grep -q "sky: the default sky" "$work/import.out" || fail "the import made no sky: $(cat "$work/import.out")"

startGame
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
closeStartupBoxes

focusGame
xdotool key f
shoot before
# The sky: the upper third of the view is light and blue, not black.
convert "$work/shots/before.png" -crop 800x150+0+0 +repage "$work/shots/sky.png"
skyBlue=$(convert "$work/shots/sky.png" -format '%[fx:mean.b]' info:)
skyRed=$(convert "$work/shots/sky.png" -format '%[fx:mean.r]' info:)
atLeast "$skyBlue" 0.5 || fail "no sky above the courtyard (mean blue $skyBlue)"
atLeast "$skyBlue" "$skyRed" || fail "the sky is not blue (red $skyRed, blue $skyBlue)"

# The drone, 15 ahead at eye height: its teal plating in the middle of the view.
teal='rgb(23,186,171)'
middle() { convert "$work/shots/$1.png" -crop 200x200+300+200 +repage "$work/shots/$1-middle.png"; }
middle before
atLeast "$(colourShare before-middle "$teal" 12%)" 0.03 || fail "the drone is not ahead at the start"

focusGame
xdotool click 1
sleep 1
shoot gone
middle gone
atLeast "$(colourShare gone-middle "$teal" 12%)" 0.002 && fail "the drone is still there after the shot"

focusGame
xdotool key Escape
expectExitZero "Escape"
echo "$testName: passed"
