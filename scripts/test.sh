#!/usr/bin/env bash
# Builds the engine and runs every test twice: once as shipped
# (RelWithDebInfo, benchmarks built too) and once under AddressSanitizer and
# UndefinedBehaviorSanitizer, where any report fails the run; then each
# libFuzzer harness for a short smoke. Between the two, the shipped build's
# Debian package is made, installed, run and removed again (as root), and
# the web page is built and played in headless Chromium.
#   scripts/test.sh            everything above
#   scripts/test.sh --quick    the quick lane: the shipped build and its
#                              logic tests only (no display, no sanitizers,
#                              no fuzzing)
set -euo pipefail

quick=0
case "${1:-}" in
  --quick) quick=1 ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

jobs=2
passed=0
failed=0

# Where the time goes, phase by phase, for the summary at the end.
times=()
phase_started=$SECONDS
phase_done() {
  times+=("$1 $((SECONDS - phase_started)) s")
  phase_started=$SECONDS
}

# Runs ctest in a build folder (more ctest options may follow); adds its
# counts to the totals and returns its status.
run_tests() {
  local dir=$1 log status=0
  shift
  log=$(mktemp)
  (cd "$dir" && ctest --output-on-failure -j"$jobs" "$@") 2>&1 | tee "$log" || status=$?
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [ -z "$summary" ]; then
    echo "test.sh: no ctest summary in $dir" >&2
    return 1
  fi
  local total fails
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
  return "$status"
}

status=0
phase_done "set-up"

# Prints where the time went and the totals, and ends the run.
finish() {
  local spent
  spent=$(printf '%s, ' "${times[@]}")
  echo
  echo "Times: ${spent%, }"
  echo "Total: $passed passed, $failed failed"
  exit "$status"
}

echo "== Build (RelWithDebInfo) in build/"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_SANITIZE=OFF -DENGINE_WERROR=ON
cmake --build build -j"$jobs"
phase_done "build"

if [ "$quick" -eq 1 ]; then
  echo "== Logic tests in build/ (quick lane)"
  run_tests build -L logic || status=1
  phase_done "logic tests"
  finish
fi

echo "== Tests in build/"
run_tests build || status=1
phase_done "tests"

echo "== Package from build/: lintian, apt-get install, the installed game, apt-get remove"
package_status=0
# A hung test is stopped after ten minutes; its trap removes the package.
{ bash scripts/package.sh &&
  timeout 600 bash tests/package/install_test.sh build/package/arroyo_*.deb; } || package_status=$?
case $package_status in
  0) passed=$((passed + 1)) ;;
  77) ;;  # skipped: no root to install with (the staged install ran among the tests)
  *) failed=$((failed + 1)); status=1 ;;
esac
phase_done "package"

echo "== Web page: build-web/ (emscripten), played in headless Chromium"
if bash scripts/web.sh --test; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  status=1
fi
phase_done "web"

echo "== Build (AddressSanitizer + UndefinedBehaviorSanitizer) in build-asan/"
supp="$root/tests/sanitizers"
# Any report ends the process with a failure. Suppressions name third-party
# libraries only; see tests/sanitizers/. Set for the build as well, since the
# content tools run under the sanitizers while the build generates content.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_SANITIZE=ON -DENGINE_BENCHMARKS=OFF -DENGINE_WERROR=ON
cmake --build build-asan -j"$jobs"
phase_done "sanitizer build"
echo "== Tests in build-asan/"
run_tests build-asan || status=1
phase_done "sanitizer tests"

echo "== Fuzz smoke: every harness for 20 s, $jobs at a time (scripts/fuzz.sh runs them longer)"
if bash scripts/fuzz.sh -j "$jobs" 20; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  status=1
fi
phase_done "fuzz build and smoke"

finish
