#!/usr/bin/env bash
# The game's command line: --help prints the usage, the keys and the exit
# status and ends with 0 without opening a window, and --version the
# version; an unknown option prints the usage to standard error and ends
# with 2; a world that does not exist shows "Unable to open input file"
# once, and the game then runs without a world until Escape ends it with
# status 0.
# Arguments: the game executable, the build folder.
set -euo pipefail
testName=command_line
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

makeRuntimeTree
cd "$work/Bin"

status=0
./game --help >"$work/help.out" 2>"$work/help.err" || status=$?
[ "$status" -eq 0 ] || fail "--help ended with status $status"
for part in 'usage: game \[OPTIONS\] \[WORLD\]' 'F12' 'Exit status' '2  the command line was wrong'; do
  grep -q "$part" "$work/help.out" || fail "--help does not mention '$part'"
done
[ ! -s "$work/help.err" ] || fail "--help wrote to standard error"
status=0
version=$(./game --version) || status=$?
[ "$status" -eq 0 ] || fail "--version ended with status $status"
[[ $version =~ ^game\ \(arroyo\)\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version says '$version'"
grep -qF "(arroyo ${version##* })" "$work/help.out" || fail "--help does not show the version"

for wrong in --bogus "-x world.wrl" "one.wrl two.wrl"; do
  status=0
  # shellcheck disable=SC2086
  ./game $wrong >"$work/wrong.out" 2>"$work/wrong.err" || status=$?
  [ "$status" -eq 2 ] || fail "'$wrong' ended with status $status, not 2"
  grep -q '^usage: game' "$work/wrong.err" || fail "'$wrong' printed no usage on standard error"
  [ ! -s "$work/wrong.out" ] || fail "'$wrong' wrote to standard output"
done

# A missing world: the same box as a missing default, then a black window.
(cd "$work/Bin" && exec ./game ../Worlds/absent.wrl) >"$work/game.log" 2>&1 &
gamePid=$!
box=$(waitForWindow '^Error$' 30) || fail "no \"Error\" box for a missing world"
import -window "$box" "$work/shots/error.png"
pressIn "$box" Return
waitForNoWindow '^Error$' 10 || fail "the \"Error\" box did not close on Return"
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
sleep 1
[ "$(countWindows '^Error$')" -eq 0 ] || fail "a second \"Error\" box appeared"
shoot empty
atLeast 0.001 "$(brightness empty)" || fail "the window without a world is not black"
focusGame
xdotool key Escape
expectExitZero "Escape"
echo "$testName: passed"
