#!/usr/bin/env bash
# `cmake --install` into a staging folder, then the installed game as a
# person runs it (installed_game.sh): the installed layout, without root
# and without the package. Needs a display (scripts/with-display.sh).
#   staged_install.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: staged_install.sh BUILD_DIR}")
here=$(dirname "$(realpath "$0")")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/usr" >"$stage/install.log" 2>&1 || {
  cat "$stage/install.log" >&2
  echo "staged_install: cmake --install failed" >&2
  exit 1
}
for path in games/arroyo bin/arroyo-worldtool share/games/arroyo/Worlds/canyon.wrl \
            share/games/arroyo/test.skl share/games/arroyo/Textures/crosshair.bmp \
            share/applications/arroyo.desktop share/icons/hicolor/48x48/apps/arroyo.png \
            share/man/man6/arroyo.6.gz share/man/man1/arroyo-worldtool.1.gz \
            share/doc/arroyo/copyright share/doc/arroyo/changelog.gz; do
  [ -e "$stage/usr/$path" ] || { echo "staged_install: nothing installed at PREFIX/$path" >&2; exit 1; }
done
# Only the content: no programs' folder, no screenshots of a developer's.
for path in share/games/arroyo/Bin share/games/arroyo/Screenshots; do
  [ ! -e "$stage/usr/$path" ] || { echo "staged_install: PREFIX/$path was installed" >&2; exit 1; }
done
bash "$here/installed_game.sh" "$stage/usr"
