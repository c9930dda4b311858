#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (own build folder, build-fuzz) and runs each for a
# bounded time. Fails on a crash, a sanitizer report or a broken property; the input that
# did it is kept in build-fuzz/artifacts/ (replay: build-fuzz/tests/fuzz/TARGET FILE).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VERBOLT_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${VERBOLT_FUZZ_SECONDS:-20}
targets=(labelfile writekey writebatch extract codepage)
"$root/scripts/deps.sh" clang-14 libclang-rt-14-dev
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DVERBOLT_BUILD_TESTS=OFF -DVERBOLT_BUILD_FUZZ=ON \
    -DVERBOLT_WERROR=ON >/dev/null
# Only the fuzz targets and the core they link: the window layer is not built.
cmake --build "$build" -j2 --target verbolt_fuzz

# Resource scripts beside the project are extra seeds, read in place, for every target.
shared_rc=$root/../shared/corpus/rc
status=0
for t in "${targets[@]}"; do
    corpus=$build/corpus/$t # where new inputs go; the seeds in the repository stay as they are
    artifacts=$build/artifacts/$t
    rm -rf "$artifacts"
    mkdir -p "$corpus" "$artifacts"
    seeds=("$root/tests/fuzz/seeds/$t")
    [ -d "$shared_rc" ] && seeds+=("$shared_rc")
    echo "== fuzz_$t (${seconds}s)"
    if ! "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -max_len=16384 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "${seeds[@]}" >"$build/fuzz_$t.log" 2>&1; then
        echo "fuzz_$t FAILED:" >&2
        tail -n 60 "$build/fuzz_$t.log" >&2
        status=1
    else
        grep -E "^stat::number_of_executed_units" "$build/fuzz_$t.log" || true
    fi
done
[ $status -eq 0 ] && echo "fuzz: no target found a fault"
exit $status
