#!/usr/bin/env bash
# Builds the fuzz targets with clang and the address and undefined-behaviour sanitizers, replays
# each target's saved corpus (fuzz/corpus/<target>/), then fuzzes each target for a bounded time.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     (default 60 seconds, every target)
#
# A crash stops the run with a non-zero status; the input that caused it is written to
# <build>/fuzz/artifacts/. Once the fault is mended, add that input to fuzz/corpus/<target>/ so
# that every later run replays it. New inputs found while fuzzing stay in <build>/fuzz/work/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
# Every fuzz_*.cpp under fuzz/<subsystem>/ is one target of the same name.
all=()
for f in fuzz/*/fuzz_*.cpp; do all+=("$(basename "$f" .cpp)"); done
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all[@]}"); fi

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DQUILLO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "${targets[@]}" -j2

export QT_QPA_PLATFORM=offscreen
# Qt keeps caches for the life of the process, so the target that runs a widget ignores leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/fuzz/artifacts"

# Replays the target's saved inputs, then fuzzes it; prints one summary line.
fuzz_one() {
  local t=$1
  local exe="$build/fuzz/$t"
  local corpus="fuzz/corpus/$t"
  local work="$build/fuzz/work/$t"
  mkdir -p "$corpus" "$work"
  local leaks=1
  [ "$t" = fuzz_EditorLoad ] && leaks=0
  local opts=(-detect_leaks=$leaks -max_len=4096 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$build/fuzz/artifacts/$t-")
  if ! "$exe" "${opts[@]}" -runs=0 "$corpus" >"$build/fuzz/$t.replay.log" 2>&1; then
    tail -40 "$build/fuzz/$t.replay.log"
    echo "$t: a saved input fails again" >&2
    return 1
  fi
  if ! "$exe" "${opts[@]}" -max_total_time="$seconds" -print_final_stats=1 "$work" "$corpus" >"$build/fuzz/$t.log" 2>&1; then
    tail -40 "$build/fuzz/$t.log"
    echo "$t: crash; the input is in $build/fuzz/artifacts/" >&2
    return 1
  fi
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz/$t.log" | grep -o '[0-9]*$' || echo '?')
  echo "$t: $(ls "$corpus" | wc -l) saved inputs replayed; $runs inputs run in $seconds s, no fault"
}

# As many targets at once as the machine has cores.
jobs=${FUZZ_JOBS:-$(nproc)}
failed=0
running=0
for t in "${targets[@]}"; do
  fuzz_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit $failed
