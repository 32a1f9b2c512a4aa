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

quad() {
  local r=$1 g=$2 b=$3 nx=$4 ny=$5 nz=$6
  shift 6
  echo "none $nx $ny $nz 4"
  while [ $# -gt 0 ]; do
    echo "  $1 $2 $3 0 0 $nx $ny $nz $r $g $b"
    shift 3
  done
}
drone() {
  echo "RobotDrone $1 $2 $3  -1 -1 -1 1 1 1  NULL 6"
  quad 1 1 1  0 0 1   -1 -1 1   1 -1 1   1 1 1   -1 1 1
  quad 1 1 1  0 0 -1   1 -1 -1  -1 -1 -1  -1 1 -1   1 1 -1
  quad 1 1 1  1 0 0    1 -1 1    1 -1 -1   1 1 -1   1 1 1
  quad 1 1 1  -1 0 0  -1 -1 -1  -1 -1 1   -1 1 1   -1 1 -1
  quad 1 1 1  0 1 0   -1 1 1     1 1 1     1 1 -1  -1 1 -1
  quad 1 1 1  0 -1 0  -1 -1 -1   1 -1 -1   1 -1 1  -1 -1 1
}
{
  echo "0 0.3 0"
  echo "0.1 0.9 0.1"
  echo "0"
  echo "3"
  echo "worldspawn 1"
  quad 0.4 0.4 0.4 0 1 0  -100 0 -100  -100 0 100  100 0 100  100 0 -100
  drone 0 1.8 -12   # ahead, the target
  drone -7 1.8 0    # to the left, humming
  echo "1"
  echo "0 1 0 0 4"
  echo " 0 0 1 100  -100 0 -100"
  echo " -1 0 0 100  100 0 -100"
  echo " 0 0 -1 100  100 0 100"
  echo " 1 0 0 100  -100 0 100"
  echo "0 0"
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

now() { date +%s%3N; }
startGame
gameWindow=$(waitForWindow '^game engine$' 30) || fail "the game window did not appear"
started=$(now)
focusGame
sleep 2
xdotool key v
muted=$(now)
sleep 1.5
xdotool key v
unmuted=$(now)
sleep 1.5
xdotool click 1
clicked=$(now)
sleep 2.5
focusGame
xdotool key Escape
expectExitZero "Escape"
[ -s "$recording" ] || fail "OpenAL Soft's file writer recorded nothing"
"$levels" "$recording" >"$work/levels.txt" || fail "the recording cannot be read"

# The timeline: silence starts at the mute and ends at the unmute; the
# offset between the script's clock and the recording's is what both agree on.
read -r silenceFrom silenceTo < <(awk -v from=$((muted - started)) '
  $1 >= from - 500 && quiet == "" && $2 + $3 < 0.0005 { quiet = $1 }
  quiet != "" && back == "" && $1 > quiet && $2 + $3 > 0.002 { back = $1 }
  END { print quiet, back }' "$work/levels.txt")
[ -n "$silenceFrom" ] && [ -n "$silenceTo" ] || fail "no silence between the two presses of V"
offset=$((silenceFrom - (muted - started)))
drift=$((silenceTo - (unmuted - started) - offset))
echo "$testName: muted at $silenceFrom ms, back at $silenceTo ms of the recording (clock offset $offset ms, $drift ms apart)"
[ "${drift#-}" -le 100 ] || fail "mute and unmute disagree on the timeline by $drift ms"
click=$((clicked - started + offset))

awk -v unmuted="$silenceTo" -v click="$click" '
  # The hum to the left, before anything else: louder on the left.
  $1 >= 300 && $1 < 1800 { humL += $2; humR += $3 }
  # The background just before the click.
  $1 >= click - 400 && $1 < click - 100 { n++; before += $2 + $3 }
  # The first window clearly above it, and the loudest moments after.
  $1 >= click - 100 && $1 <= click + 400 && rise == "" && n > 0 && $2 + $3 > 3 * before / n { rise = $1 }
  $1 >= click && $1 < click + 250 && $2 + $3 > launch { launch = $2 + $3 }
  $1 >= click + 250 && $1 < click + 2000 && $2 + $3 > burst { burst = $2 + $3; burstAt = $1 }
  END {
    printf "hum left %.4f right %.4f; background %.4f; launch %.4f at %s ms (click at %d); burst %.4f at %d ms\n",
      humL, humR, before / n, launch, rise, click, burst, burstAt
    if (!(humL > 1.5 * humR)) { print "the drone on the left is not louder on the left"; exit 1 }
    if (rise == "" || rise - click > 100) { print "no rise within 100 ms of the click"; exit 1 }
    if (!(burst > 1.2 * launch)) { print "no louder burst after the launch"; exit 1 }
  }' "$work/levels.txt" || fail "the recording does not sound as it should"
[ -s "$work/game.log" ] && fail "the game wrote to the console: $(head -c 300 "$work/game.log")"
echo "$testName: passed"
