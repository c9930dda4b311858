#!/usr/bin/env bash
# Builds Verbolt with its tests and benchmarks in every build type (Debug, Release,
# RelWithDebInfo, MinSizeRel) with GCC and with Clang, warnings as errors, each in a folder of
# its own under build-all/. Run by hand, e.g. after a compiler upgrade: it takes a while.
# Goes on after a failed build, prints a summary and fails if any build failed (its log is
# build-all/COMPILER-TYPE.log). Extra arguments go to every cmake configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${VERBOLT_BUILD_ALL_DIR:-$root/build-all}
"$root/scripts/deps.sh" clang-14
compilers=(gcc=g++ clang=clang++-14)
types=(Debug Release RelWithDebInfo MinSizeRel)
mkdir -p "$out"
failed=()
for compiler in "${compilers[@]}"; do
    for type in "${types[@]}"; do
        name=${compiler%%=*}-$type
        build=$out/$name
        log=$out/$name.log
        echo "== $name"
        if cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
            -DCMAKE_CXX_COMPILER="${compiler#*=}" -DVERBOLT_BUILD_TESTS=ON \
            -DVERBOLT_BUILD_BENCH=ON -DVERBOLT_WERROR=ON "$@" >"$log" 2>&1 &&
            cmake --build "$build" -j2 >>"$log" 2>&1; then
            echo "   built"
        else
            echo "   FAILED (log: $log):" >&2
            grep -E -m 20 "error|FAILED" "$log" >&2 || tail -n 20 "$log" >&2
            failed+=("$name")
        fi
    done
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "build-all: ${#failed[@]} of $((${#compilers[@]} * ${#types[@]})) builds failed: ${failed[*]}" >&2
    exit 1
fi
echo "build-all: every build type built with GCC and with Clang"
