#!/usr/bin/env bash
# The game without its default world: one "Error" box, then a black window
# whose menu still works (Help shows the help box, Run World opens the file
# dialog, cancelling it leaves the window black), and Escape ends the game
# with status 0.
# Arguments: the game executable, the build folder.
set -euo pipefail
testName=world_missing
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

makeRuntimeTree
startGame

box=$(waitForWindow '^Error$' 30) || fail "no \"Error\" box for the missing world"
import -window "$box" "$work/shots/error.png"
pressIn "$box" Return
waitForNoWindow '^Error$' 10 || fail "the \"Error\" box did not close on Return"

gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
sleep 1
[ "$(countWindows '^Error$')" -eq 0 ] || fail "a second \"Error\" box appeared"
shoot empty
atLeast 0.001 "$(brightness empty)" || fail "the window without a world is not black"

# Help from the menu.
chooseMenu 0
box=$(waitForWindow "$messageCaption" 10) || fail "Help showed no message box"
import -window "$box" "$work/shots/help.png"
pressIn "$box" Return
waitForNoWindow "$messageCaption" 10 || fail "the help box did not close"

# Run World, cancelled: still no world, still black.
chooseMenu 1
dialog=$(waitForWindow '^Open$' 15) || fail "Run World showed no file dialog"
import -window "$dialog" "$work/shots/dialog.png"
pressIn "$dialog" Escape
waitForNoWindow '^Open$' 10 || fail "the file dialog did not close on Escape"
shoot cancelled
atLeast 0.001 "$(brightness cancelled)" || fail "the window is not black after a cancelled Run World"
[ "$(countWindows '^Error$')" -eq 0 ] || fail "cancelling Run World showed an error"

focusGame
xdotool key Escape
expectExitZero "Escape"
echo "$testName: passed"
