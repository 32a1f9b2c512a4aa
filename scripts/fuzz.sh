#!/usr/bin/env bash
# Builds the libFuzzer harnesses (fuzz/) with clang under AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, writes their seed corpora
# from our own content, and runs each harness for SECONDS (default 60).
#   scripts/fuzz.sh [-j JOBS] [SECONDS] [HARNESS...]
#     harnesses: bmp tga texture_alpha world bsp heightfield tokens skeleton import sound
#     JOBS harnesses run at a time (default 1); each is one process on one
#     core, so on N free cores -j N gives each the same time as one by one.
# The corpus each run grows is kept in build-fuzz/corpus/ for the next run;
# reproducers of past findings (fuzz/regressions/HARNESS/) are replayed
# first. Any crash, leak, time-out or memory blow-up is a finding: its input
# is saved in build-fuzz/findings/ and the script fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

parallel=1
if [ "${1:-}" = "-j" ]; then
  parallel=${2:?fuzz.sh: -j needs a number}
  shift 2
fi
seconds=${1:-60}
[ $# -gt 0 ] && shift
all=(bmp tga texture_alpha world bsp heightfield tokens skeleton import sound)
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=("${all[@]}")

bash scripts/setup.sh

# Absolute: the world harness changes its current directory.
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_FUZZ=ON \
  -DENGINE_BENCHMARKS=OFF -DENGINE_CONTENT=OFF >/dev/null
targets=(fuzz_seeds)
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build "$build" -j2 --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Assimp's own leaks on malformed models are not ours to fix (see the file).
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
rm -rf "$build/seeds"
"$build/fuzz/fuzz_seeds" "$build/seeds"

# World and BSP seeds are whole world files; models carry their pictures;
# the rest stay small.
maxLength() {
  case $1 in world|bsp) echo 16384 ;; import) echo 8192 ;; *) echo 4096 ;; esac
}

# The import decodes pictures with stb_image, which sets aside the room a
# picture's header promises (up to 16384 x 16384, about a GiB) before it
# finds the data short; only what it fills becomes resident.
mallocLimit() {
  case $1 in import) echo 2048 ;; *) echo 512 ;; esac
}

# The import stops a model reader after 2 s of processor time (the trial
# read in a child process); the time-out leaves room for that on a busy machine.
timeoutFor() {
  case $1 in import) echo 30 ;; *) echo 10 ;; esac
}

mkdir -p "$build/findings" "$build/logs"

# Runs one harness; its one-line outcome goes to logs/HARNESS.outcome, and
# its status is the harness's. Harnesses share nothing but the binary
# folder: each has its own corpus, log, findings prefix and scratch folder.
fuzzOne() {
  local h=$1 status=0
  local binary="$build/fuzz/fuzz_$h" corpus="$build/corpus/$h" log="$build/logs/$h.log"
  local outcome="$build/logs/$h.outcome"
  mkdir -p "$corpus" "$build/seeds/$h"
  if compgen -G "fuzz/regressions/$h/*" >/dev/null; then
    "$binary" -runs=1 "$root"/fuzz/regressions/$h/* >"$log.replay" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
      echo "fuzz $h: a past finding fails again (see $log.replay)" >"$outcome"
      return 1
    fi
  fi
  "$binary" -max_total_time="$seconds" -max_len="$(maxLength "$h")" -timeout="$(timeoutFor "$h")" \
    -rss_limit_mb=2048 -malloc_limit_mb="$(mallocLimit "$h")" -print_final_stats=1 \
    -artifact_prefix="$build/findings/$h-" "$corpus" "$build/seeds/$h" >"$log" 2>&1 || status=$?
  local runs cov files
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
  files=$(find "$corpus" -type f | wc -l)
  if [ "$status" -eq 0 ]; then
    echo "fuzz $h: passed: ${runs} runs in ${seconds} s, ${cov:-cov: ?}, corpus ${files} inputs" >"$outcome"
  else
    {
      echo "fuzz $h: FINDING (status $status): see $log and $build/findings/$h-*"
      grep -m 3 -E 'ERROR|SUMMARY|invariant|runtime error' "$log" || true
    } >"$outcome"
  fi
  return "$status"
}

for h in "${harnesses[@]}"; do
  rm -f "$build/logs/$h.outcome"
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  fuzzOne "$h" &
done
wait

failed=0
for h in "${harnesses[@]}"; do
  outcome="$build/logs/$h.outcome"
  if [ -s "$outcome" ]; then cat "$outcome"; else echo "fuzz $h: no outcome (see $build/logs/$h.log)"; fi
  grep -q "^fuzz $h: passed:" "$outcome" 2>/dev/null || failed=$((failed + 1))
done

total=${#harnesses[@]}
echo "fuzz: $((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
