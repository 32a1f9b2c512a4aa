#!/usr/bin/env bash
# Sound in the real game, heard through OpenAL Soft's file writer (its
# "wave" backend) instead of a sound card: a drone hums to the player's
# left and is louder in the left channel; V mutes and unmutes, which marks
# the recording's timeline; then a click fires the rocket at a drone ahead:
# the launch is heard within 100 ms of the click and a louder burst follows.
# Arguments: the game executable, the build folder.
set -euo pipefail

testName=sound_wave
game=$(realpath "$1")
build=${2:-}
source "$(dirname "$0")/world_common.bash"

levels=$build/tests/sound_levels
[ -x "$levels" ] || fail "no $levels"
makeRuntimeTree
cp -r "$build/game/Sounds" "$work/Sounds"

{
  echo "0 0.3 0"
  echo "0.1 0.9 0.1"
  echo "0"
  echo "3"
  echo "worldspawn 1"
  quad 0.4 0.4 0.4 0 1 0  -100 0 -100  -100 0 100  100 0 100  100 0 -100
  drone 0 1.8 -25   # ahead, the target: its burst comes 300 ms after the launch
  drone -7 1.8 0    # to the left, humming
  floorTree
} >"$work/Worlds/canyon.wrl"

# OpenAL Soft writes what it would play into a file, in real time.
recording=$work/heard.wav
cat >"$work/alsoft.conf" <<CONF
[general]
drivers = wave
channels = stereo
frequency = 44100
hrtf = false
[wave]
file = $recording
CONF
export ALSOFT_CONF=$work/alsoft.conf ALSOFT_DRIVERS=wave

startGame
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
focusGame
sleep 2.5
xdotool key v
sleep 1.5
# Unmute and fire in one go: the end of the silence marks the click on the
# recording's timeline, whatever the delays of the machine before it.
xdotool key v click 1
sleep 2.5
focusGame
xdotool key Escape
expectExitZero "Escape"
[ -s "$recording" ] || fail "OpenAL Soft's file writer recorded nothing"
"$levels" "$recording" >"$work/levels.txt" || fail "the recording cannot be read"

awk '
  # The hum to the left, before anything else: louder on the left.
  $1 >= 300 && $1 < 1800 { humL += $2; humR += $3; humN++ }
  # The silence of the mute, and its end: the click.
  $1 >= 1000 && quiet == "" && $2 + $3 < 0.0005 { quiet = $1 }
  quiet != "" && click == "" && $1 > quiet + 500 && $2 + $3 > 0.002 { click = $1 }
  # The launch: well above the hum alone, within 100 ms of the click.
  click != "" && rise == "" && $1 <= click + 100 && $2 + $3 > 2.5 * (humL + humR) / humN { rise = $1 }
  click != "" && $1 < click + 200 && $2 + $3 > launch { launch = $2 + $3 }
  click != "" && $1 >= click + 250 && $1 < click + 2000 && $2 + $3 > burst { burst = $2 + $3; burstAt = $1 }
  END {
    printf "hum left %.4f right %.4f; silence %s to %s ms; launch %.4f at %s ms; burst %.4f at %d ms\n",
      humL / humN, humR / humN, quiet, click, launch, rise, burst, burstAt
    if (!(humL > 1.5 * humR)) { print "the drone on the left is not louder on the left"; exit 1 }
    if (click == "") { print "no silence between the two presses of V"; exit 1 }
    if (rise == "") { print "no rise within 100 ms of the click"; exit 1 }
    if (!(burst > launch)) { print "no louder burst after the launch"; exit 1 }
  }' "$work/levels.txt" || fail "the recording does not sound as it should"
[ -s "$work/game.log" ] && fail "the game wrote to the console: $(head -c 300 "$work/game.log")"
echo "$testName: passed"
