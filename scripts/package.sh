#!/usr/bin/env bash
# Builds the game's Debian package from build/ (the shipped build, as
# scripts/play.sh and scripts/test.sh make it):
#   build/package/arroyo_<version>_<arch>.deb
# Install it with `sudo apt-get install ./build/package/arroyo_*.deb`.
# The content packaged is build/game/ as the build generated it (but Bin/
# and Screenshots/); see docs/packaging.md.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

# The dates in the package (its files' times, the changelog's entry) are the
# last commit's, so the same commit gives the same dates.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_SANITIZE=OFF -DENGINE_CONTENT=ON
cmake --build build -j2
rm -f build/package/arroyo_*.deb
(cd build && cpack --config CPackConfig.cmake)
deb=$(ls build/package/arroyo_*.deb)
echo "Package: $root/$deb"
