#!/usr/bin/env bash
# Builds the engine with its default content and starts the game in the
# default world. Without a display, the game runs for a few seconds on a
# virtual X server instead, and a screenshot of what the player sees is saved
# to build/screenshot.png.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

cd build/game/Bin
if [ -n "${DISPLAY:-}" ]; then
  exec ./game "$@"
fi

echo "No display: running the game on a virtual X server for a few seconds."
screenshot="$root/build/screenshot.png"
rm -f "$screenshot"
# The helper below runs inside scripts/with-display.sh, which starts Xvfb and
# stops it again afterwards.
export SCREENSHOT="$screenshot"
export SETTLE_SECONDS="${SETTLE_SECONDS:-5}"
exec bash "$root/scripts/with-display.sh" bash -c '
  set -u
  ./game "$@" &
  game=$!

  # Wait for the window, then let a few seconds of play go by.
  for _ in $(seq 100); do
    xdotool search --name "^game engine$" >/dev/null 2>&1 && break
    kill -0 "$game" 2>/dev/null || break
    sleep 0.2
  done
  sleep "$SETTLE_SECONDS"

  if kill -0 "$game" 2>/dev/null; then
    # The game window as the player sees it, message boxes on top included.
    window=$(xdotool search --name "^game engine$" 2>/dev/null | head -n 1)
    if [ -n "$window" ]; then
      eval "$(xdotool getwindowgeometry --shell "$window")"
      import -window root -crop "${WIDTH}x${HEIGHT}+$((X < 0 ? 0 : X))+$((Y < 0 ? 0 : Y))" +repage "$SCREENSHOT"
    else
      import -window root "$SCREENSHOT"
    fi
    echo "Screenshot: $SCREENSHOT"
  else
    echo "The game ended before a screenshot could be taken."
  fi

  # Escape ends the game; the first one may only close a message box that is
  # in the way (the focus goes to whichever window is on top).
  for _ in 1 2 3 4 5; do
    kill -0 "$game" 2>/dev/null || break
    window=$(xdotool search --name "^game engine$" 2>/dev/null | head -n 1)
    if [ -n "$window" ] && ! xdotool search --onlyvisible --name "^(      Message      |Error)$" >/dev/null 2>&1; then
      xdotool windowfocus "$window" 2>/dev/null
    fi
    xdotool key Escape
    for _ in $(seq 20); do
      kill -0 "$game" 2>/dev/null || break
      sleep 0.1
    done
  done
  if kill -0 "$game" 2>/dev/null; then
    echo "The game did not end on Escape; stopping it."
    kill "$game"
  fi
  status=0
  wait "$game" || status=$?
  echo "Game exited with status $status."
  exit "$status"
' play "$@"
