#!/usr/bin/env bash
# Installs the Debian packages the engine needs to build, test and run, and
# only those that are missing: quick when everything is there already.
set -euo pipefail

packages=(
  g++ cmake make pkg-config                          # toolchain
  ccache                                             # objects built before come from the cache
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri     # GLUT, GLU, software GL
  libgtk-3-dev librsvg2-common                       # message boxes, file dialog
  libx11-dev                                         # live pointer, modifier and focus reads
  libgtest-dev libgmock-dev libbenchmark-dev         # tests and benchmarks
  libassimp-dev libstb-dev                           # worldtool import; PNG/JPEG in, PNG screenshots out
  libfast-float-dev                                  # world file numbers
  libopenal-dev libsndfile1-dev                      # sound: output (OpenAL Soft, its wave writer for tests), decoding
  xvfb xauth xdotool imagemagick x11-utils           # headless runs, screenshots
  locales                                            # de_DE source for the locale tests (localedef)
  clang libclang-rt-dev                              # libFuzzer harnesses (scripts/fuzz.sh)
  libembree-dev                                      # yardstick for the trace benchmarks (optional to the build)
  help2man dpkg-dev file lintian                     # the package: man pages, Depends, its checks
  emscripten chromium                                # the web page (scripts/web.sh), headless Chromium
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
# sudo resets the environment, so the front end is passed through env.
as_root=(env DEBIAN_FRONTEND=noninteractive)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo "${as_root[@]}")
fi
"${as_root[@]}" apt-get update -q -o DPkg::Lock::Timeout=600 </dev/null
"${as_root[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends \
  "${missing[@]}" </dev/null
