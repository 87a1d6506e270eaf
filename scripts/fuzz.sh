#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (FUZZ_SECONDS,
# default 60) from its committed seed corpus. A crash or a broken invariant fails the run and
# leaves the input in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
dir=build-fuzz

if [[ ! -f $dir/build.ninja ]]; then
  CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVANTA_FUZZ=ON -DKORVANTA_TESTS=OFF -DKORVANTA_BENCH=OFF \
    -DKORVANTA_SANITIZE=address,undefined,fuzzer-no-link >/dev/null
fi
cmake --build "$dir" --target download_fuzz record_fuzz >/dev/null

mkdir -p "$dir/artifacts"
for target in download record; do
  work=$(mktemp -d)
  log=$dir/$target-fuzz.log
  if ! "$dir/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/$target-" "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzz $target: FAILED (input kept in $dir/artifacts/)" >&2
    rm -rf "$work"
    exit 1
  fi
  runs=$(grep -oP 'stat::number_of_executed_units: *\K\d+' "$log")
  echo "fuzz $target: $runs executions in ${seconds}s, corpus grew to $(ls "$work" | wc -l) inputs, no failure"
  rm -rf "$work"
done
