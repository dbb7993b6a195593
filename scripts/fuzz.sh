#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/ (a configuration of its own,
# MEKALON_FUZZ) and runs every target for SECONDS each (default 60). The seed corpus is written
# from ../shared/data/th-en.dic and hunspell-th into build-fuzz/seeds; what the fuzzer finds goes to
# build-fuzz/corpus, an input that breaks a target to build-fuzz/crashes/<target>/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
bash scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DMEKALON_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

rm -rf "$build/seeds"
"$build/fuzz/fuzz_seeds" "$build/seeds" "${MEKALON_SHARED_DATA:-../shared/data}/th-en.dic"

targets=(cells lines diclist wordlist currency)
failed=()
summary=()
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  echo "== fuzz_$t for ${seconds}s"
  status=0
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$t/" "$build/corpus/$t" "$build/seeds/$t" \
    >"$build/fuzz_$t.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz_$t.log" | tail -1)
  if ((status != 0)); then
    failed+=("$t")
    tail -n 40 "$build/fuzz_$t.log"
  fi
  summary+=("$(printf '%-10s %12s runs  %s' "$t" "${runs:-?}" "$( ((status == 0)) && echo ok || echo FAILED)")")
done
printf '%s\n' "${summary[@]}"
if ((${#failed[@]})); then
  echo "fuzz targets failed: ${failed[*]} (inputs in $build/crashes/)"
  exit 1
fi
