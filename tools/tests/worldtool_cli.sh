#!/usr/bin/env bash
# The worldtool program as a user runs it: help, wrong usage, generating the
# default content, checking it, recompiling its BSP section, a planted error
# reported with its line and column, and importing a small model.
set -u
tool="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$tool" --help > "$work/help" 2>&1 || fail "--help exits non-zero"
grep -q "bsp IN.wrl OUT.wrl" "$work/help" || fail "--help does not describe bsp"
grep -q "check IN.wrl" "$work/help" || fail "--help does not describe check"
grep -q "canyon OUTDIR" "$work/help" || fail "--help does not describe canyon"
grep -q "import MODEL OUT.wrl" "$work/help" || fail "--help does not describe import"
grep -q "icon OUTDIR" "$work/help" || fail "--help does not describe icon"
grep -q "^usage: $(basename "$tool") COMMAND" "$work/help" || fail "--help does not name the tool as it was started"
"$tool" --version > "$work/version" 2>&1 || fail "--version exits non-zero"
grep -Eq "^$(basename "$tool") \(arroyo\) [0-9]+\.[0-9]+\.[0-9]+$" "$work/version" || fail "--version: $(cat "$work/version")"
grep -qF "(arroyo $(sed 's/.* //' "$work/version"))" "$work/help" || fail "--help does not show the version"

"$tool" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no command: expected status 2"
"$tool" frobnicate > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown command: expected status 2"
"$tool" bsp only-one.wrl > /dev/null 2>&1; [ $? -eq 2 ] || fail "bsp with one argument: expected status 2"

"$tool" check "$work/none.wrl" > /dev/null 2> "$work/err"; [ $? -eq 1 ] || fail "missing world: expected status 1"
grep -q "cannot be opened" "$work/err" || fail "missing world: no reason given"

"$tool" canyon "$work/game" > "$work/canyon.out" 2>&1 || fail "canyon failed: $(cat "$work/canyon.out")"
for f in Worlds/canyon.wrl Bin/test.skl Textures/crosshair.bmp Textures/crosshair-a.bmp Textures/corona.tga \
         Textures/corona.bmp Textures/corona-a.bmp Textures/cloudShadows.bmp Textures/cement-1.bmp; do
  [ -s "$work/game/$f" ] || fail "canyon did not make $f"
done
"$tool" canyon "$work/again" > /dev/null 2>&1
diff -r "$work/game" "$work/again" > /dev/null || fail "canyon is not the same on a second run"

"$tool" icon "$work/icons" > "$work/icon.out" 2>&1 || fail "icon failed: $(cat "$work/icon.out")"
for size in 16 24 32 48 64 128 256; do
  [ -s "$work/icons/${size}x${size}/apps/arroyo.png" ] || fail "icon did not draw ${size}x${size}"
done
"$tool" icon > /dev/null 2>&1; [ $? -eq 2 ] || fail "icon without a folder: expected status 2"

"$tool" check "$work/game/Worlds/canyon.wrl" > "$work/check.out" 2> "$work/check.err" \
  || fail "check of the canyon failed: $(cat "$work/check.err")"
grep -q "BSP: .* nodes, .* polygons, depth" "$work/check.out" || fail "check gives no BSP summary"
[ -s "$work/check.err" ] && fail "check of the canyon printed messages: $(cat "$work/check.err")"

"$tool" bsp "$work/game/Worlds/canyon.wrl" "$work/rebuilt.wrl" > "$work/bsp.out" 2>&1 || fail "bsp failed"
# The canyon's own section also holds the undrawn walls behind its rim, which
# bsp, compiling what is drawn, leaves out; bsp reproduces its own output.
cmp -s "$work/game/Worlds/canyon.wrl" "$work/rebuilt.wrl" && fail "bsp kept the canyon's undrawn walls"
"$tool" bsp "$work/rebuilt.wrl" "$work/again.wrl" > /dev/null 2>&1 || fail "bsp of its own output failed"
cmp -s "$work/rebuilt.wrl" "$work/again.wrl" || fail "bsp does not reproduce its own section"
grep -q "splits, .*depth" "$work/bsp.out" || fail "bsp gives no statistics"

# Line 2 is the ambient colour: make its second number unreadable.
sed '2s/^\([^ ]*\) [^ ]*/\1 abc/' "$work/game/Worlds/canyon.wrl" > "$work/game/Worlds/broken.wrl"
"$tool" check "$work/game/Worlds/broken.wrl" > /dev/null 2> "$work/broken.err"; status=$?
[ $status -eq 1 ] || fail "broken world: expected status 1, got $status"
grep -q '^broken.wrl:2:[0-9]*: expected a number (world header), found "abc"' "$work/broken.err" \
  || fail "broken world: unexpected report: $(cat "$work/broken.err")"
"$tool" bsp "$work/game/Worlds/broken.wrl" "$work/out.wrl" > /dev/null 2>&1; [ $? -eq 1 ] || fail "bsp of a broken world succeeded"
[ -e "$work/out.wrl" ] && fail "bsp wrote a world despite the problem"

# A model made here: a floor of two triangles and a wall, imported and checked.
mkdir -p "$work/model"
printf 'v -4 0 -4\nv 4 0 -4\nv 4 0 4\nv -4 0 4\nv -4 3 -4\nv 4 3 -4\nf 1 4 3\nf 1 3 2\nf 1 2 6 5\n' \
  > "$work/model/room.obj"
"$tool" import "$work/model/room.obj" "$work/game/Worlds/room.wrl" > "$work/import.out" 2> "$work/import.err" \
  || fail "import failed: $(cat "$work/import.err")"
grep -q "polygons: 2 kept from 4 triangles" "$work/import.out" || fail "import summary: $(cat "$work/import.out")"
"$tool" check "$work/game/Worlds/room.wrl" > "$work/check-room.out" 2>&1 || fail "check of the import failed"
grep -q "ground 1 below" "$work/check-room.out" || fail "imported start is not over the floor"
"$tool" import "$work/model/room.obj" "$work/x.wrl" --scale > /dev/null 2>&1; [ $? -eq 2 ] || fail "import --scale without a number: expected status 2"
"$tool" import "$work/model/none.obj" "$work/none.wrl" > /dev/null 2> "$work/none.err"; [ $? -eq 1 ] || fail "import of a missing model: expected status 1"
grep -q "none.obj: cannot be opened" "$work/none.err" || fail "import of a missing model: $(cat "$work/none.err")"
[ -e "$work/none.wrl" ] && fail "import wrote a world despite the problem"

[ $failures -eq 0 ] && echo "worldtool: all checks passed"
exit $failures
