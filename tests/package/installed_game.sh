#!/usr/bin/env bash
# The installed game as a person runs it: by name, from an empty folder,
# with a home of its own. Needs a display (run it through
# scripts/with-display.sh).
#   installed_game.sh PREFIX    /usr for the package, a staging folder for
#                               `cmake --install --prefix`
# - `arroyo --help` and `--version` end with 0 and show the version;
#   `arroyo-worldtool check` of the installed canyon ends with 0.
# - `arroyo` opens the canyon from the share folder: its window shows the
#   canyon and no message box; F12 saves the frame into ~/Pictures/arroyo;
#   nothing is written into the share folder or the working folder; Escape
#   ends it with 0.
# - `arroyo WORLD` opens a world elsewhere on disk with the textures beside
#   it (a recoloured tile shows that they are its own, not the share folder's).
set -euo pipefail
testName=installed_game
prefix=$(realpath "${1:?usage: installed_game.sh PREFIX}")
game=$prefix/games/arroyo
build=
source "$(dirname "$(realpath "$0")")/../e2e/world_common.bash"

share=$prefix/share/games/arroyo
[ -x "$game" ] || fail "no game at $game"
[ -f "$share/Worlds/canyon.wrl" ] || fail "no canyon at $share/Worlds/canyon.wrl"

# A user of its own: an empty home and working folder, the XDG variables
# unset, /usr/games on the PATH as in a user's login shell.
export HOME=$work/home
unset XDG_PICTURES_DIR XDG_CONFIG_HOME XDG_DATA_HOME
export PATH="$prefix/games:$prefix/bin:$PATH"
mkdir -p "$HOME" "$work/empty" "$work/shots"
cd "$work/empty"
# Under AddressSanitizer (a staged install of build-asan/), the leak check
# at exit is off for the game as in the other e2e tests (world_common.bash).
gameEnv=(env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0")

[ "$(command -v arroyo)" = "$game" ] || fail "arroyo on the PATH is $(command -v arroyo || echo nothing)"
status=0
arroyo --help >"$work/help.out" 2>"$work/help.err" || status=$?
[ "$status" -eq 0 ] || fail "arroyo --help ended with status $status"
grep -q '^usage: arroyo \[OPTIONS\] \[WORLD\]' "$work/help.out" || fail "--help names no usage"
version=$(arroyo --version) || fail "arroyo --version failed"
[[ $version =~ ^arroyo\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "arroyo --version says '$version'"
grep -qF "($version)" "$work/help.out" || fail "--help does not show the version $version"
arroyo-worldtool check "$share/Worlds/canyon.wrl" >"$work/check.out" 2>&1 ||
  fail "arroyo-worldtool check of the installed canyon failed: $(cat "$work/check.out")"

# The share folder as installed, to tell afterwards that nothing was written.
listShare() { (cd "$share" && find . -printf '%p %s %T@\n' | sort); }
listShare >"$work/share.before"

# The canyon, from the share folder.
("${gameEnv[@]}" arroyo) >"$work/game.log" 2>&1 &
gamePid=$!
gameWindow=$(waitForWindow '^game engine$' 60) || fail "the game window did not appear"
sleep 2
[ "$(countWindows '^Error$')" -eq 0 ] || fail "an \"Error\" box: the canyon did not load"
[ "$(countWindows "$messageCaption")" -eq 0 ] || fail "a message box: something was missing"
shoot canyon
# Sky above, sand below, the red vehicle a few steps ahead.
region() { convert "$work/shots/$1.png" -crop "$2" +repage -resize 1x1\! -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:; }
isCanyon() {
  local r g b
  read -r r g b <<<"$(region "$1" 200x80+300+20)"
  [ "$b" -gt $((r + 40)) ] || { echo "no sky above in $1 ($r $g $b)"; return 1; }
  read -r r g b <<<"$(region "$1" 600x100+100+480)"
  [ "$r" -gt $((b + 40)) ] || { echo "no sand below in $1 ($r $g $b)"; return 1; }
  atLeast "$(colourShare "$1" 'rgb(255,0,0)')" 0.005 || { echo "no red vehicle in $1"; return 1; }
}
why=$(isCanyon canyon) || fail "the window does not show the canyon: $why"

# F12: into the pictures folder, named by date and time.
focusGame
xdotool key F12
deadline=$((SECONDS + 10))
png=
while [ $SECONDS -le $deadline ] && [ -z "$png" ]; do
  png=$(ls "$HOME/Pictures/arroyo/"*.png 2>/dev/null | head -n 1 || true)
  sleep 0.1
done
[ -n "$png" ] || fail "F12 wrote nothing into ~/Pictures/arroyo"
[[ "$(basename "$png")" =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}\.png$ ]] ||
  fail "the screenshot is not named by date and time: $(basename "$png")"
cp "$png" "$work/shots/f12.png"
why=$(isCanyon f12) || fail "the F12 picture does not show the canyon: $why"
focusGame
xdotool key Escape
expectExitZero "Escape in the canyon"

[ -z "$(ls -A "$work/empty")" ] || fail "the game wrote into its working folder: $(ls -A "$work/empty")"
listShare >"$work/share.after"
cmp -s "$work/share.before" "$work/share.after" ||
  fail "the share folder changed: $(diff "$work/share.before" "$work/share.after" | head -n 5)"
# Libraries keep caches of their own under ~/.cache (Mesa's shaders).
written=$(cd "$HOME" && find . -type f -not -path './.cache/*' | sort)
[ "$written" = "./Pictures/arroyo/$(basename "$png")" ] ||
  fail "the game wrote more than its screenshot into the home: $written"

# A world of the user's, elsewhere on disk, named relative to the working
# folder; its tile is magenta here, golden in the share folder.
mkdir -p "$work/mine/Worlds" "$work/mine/Textures"
cp "$share/Worlds/demo.wrl" "$work/mine/Worlds/mine.wrl"
cp "$share/Textures/"* "$work/mine/Textures/"
convert "$share/Textures/demo-tile.bmp" -fill magenta -colorize 100 "BMP3:$work/mine/Textures/demo-tile.bmp"
("${gameEnv[@]}" arroyo ../mine/Worlds/mine.wrl) >"$work/game.log" 2>&1 &
gamePid=$!
gameWindow=$(waitForWindow '^game engine$' 60) || fail "the game window did not appear for a world of the user's"
sleep 2
[ "$(countWindows '^Error$')" -eq 0 ] || fail "an \"Error\" box: the user's world did not load"
[ "$(countWindows "$messageCaption")" -eq 0 ] || fail "a message box with the user's world"
shoot mine
# The floor in front: the magenta tile (lit and shaded), not the golden one.
read -r r g b <<<"$(region mine 600x100+100+480)"
[ "$r" -gt 60 ] && [ "$b" -gt 60 ] && [ $((g * 3)) -lt "$r" ] && [ $((g * 3)) -lt "$b" ] ||
  fail "the user's world is not drawn with its own textures (floor $r $g $b)"
focusGame
xdotool key Escape
expectExitZero "Escape in the user's world"
echo "$testName: passed"
