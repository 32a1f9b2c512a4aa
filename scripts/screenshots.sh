#!/usr/bin/env bash
# Takes the README's pictures: the game in its default world, on a virtual X
# server when there is no display, in the first-person view, the
# third-person view (F6), the BSP debug view (B) and, started up on the
# ledge, the teapots on their plinth. Writes them to docs/.
#
#   bash scripts/screenshots.sh [BUILD_DIR]    (default: build)
#
# The game and its content are built first if they are not there yet.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
cd "$root"

if [ ! -x "$build/game/Bin/game" ] || [ ! -f "$build/game/Worlds/canyon.wrl" ]; then
  cmake -S . -B "$build" -DENGINE_CONTENT=ON
  cmake --build "$build" -j2 --target game content
fi
mkdir -p "$root/docs"

export DOCS="$root/docs"
export SETTLE_SECONDS="${SETTLE_SECONDS:-6}"
cd "$build/game/Bin"
exec bash "$root/scripts/with-display.sh" bash -c '
  set -u
  game=
  window=
  trap "[ -n \"\$game\" ] && kill \$game 2>/dev/null || true" EXIT

  # Starts the game from the current folder and waits for its window.
  start() {
    ./game &
    game=$!
    window=
    for _ in $(seq 150); do
      window=$(xdotool search --name "^game engine$" 2>/dev/null | head -n 1 || true)
      [ -n "$window" ] && break
      kill -0 "$game" 2>/dev/null || { echo "screenshots: the game ended early" >&2; exit 1; }
      sleep 0.2
    done
    [ -n "$window" ] || { echo "screenshots: no game window" >&2; exit 1; }
    if xdotool search --onlyvisible --name "^(      Message      |Error)$" >/dev/null 2>&1; then
      echo "screenshots: the game shows a message box; the pictures would show it too" >&2
      exit 1
    fi
  }

  # Lets some frames go by after a key so the picture shows its effect.
  shoot() {
    sleep "$2"
    import -window "$window" "$DOCS/$1"
    echo "screenshots: $DOCS/$1"
  }
  press() {
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key --window "$window" "$1"
  }

  quit() {
    press Escape
    for _ in $(seq 50); do
      kill -0 "$game" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$game" 2>/dev/null; then
      kill "$game"
      echo "screenshots: the game did not end on Escape" >&2
      exit 1
    fi
    game=
  }

  start
  shoot canyon-first-person.png "$SETTLE_SECONDS"
  # Behind the player, a few steps down the canyon.
  press F6
  xdotool keydown --window "$window" w
  sleep 1.5
  xdotool keyup --window "$window" w
  shoot canyon-third-person.png 2
  press F5
  press b
  shoot canyon-bsp-view.png 3
  press b
  quit

  # The teapots on their plinth, seen from the far side of the ledge: the
  # same world in a tree of its own, its player start moved there.
  tree=$(mktemp -d)
  mkdir -p "$tree/Bin" "$tree/Worlds"
  ln -s "$PWD/../Textures" "$tree/Textures"
  ln -s "$PWD/game" "$tree/Bin/game"
  cp test.skl "$tree/Bin/" 2>/dev/null || true
  set -- $(grep -m 1 "^Teapot " ../Worlds/canyon.wrl)
  { awk "BEGIN { print $5 + 3.2, $6 + 1.2, $7 + 4.2 }"; tail -n +2 ../Worlds/canyon.wrl; } \
    >"$tree/Worlds/canyon.wrl"
  cd "$tree/Bin"
  start
  sleep 2
  # A quarter of the way round to the left, looking a little down.
  xdotool mousemove_relative -- -38 12
  shoot canyon-teapots.png "$SETTLE_SECONDS"
  quit
  cd / && rm -rf "$tree"
'
