#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer (own build folder,
# build-asan) and runs them. Fails on a failing test and on any sanitizer report, also one
# from a child process whose exit status no test looks at: reports go to log files here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VERBOLT_ASAN_BUILD_DIR:-$root/build-asan}
"$root/scripts/deps.sh"
# -O1: the sanitizers' own advice; fast enough to run, far faster to build than -O2.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DVERBOLT_BUILD_TESTS=ON -DVERBOLT_SANITIZE=ON -DVERBOLT_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j2

logs=$build/sanitizer-logs
rm -rf "$logs"
mkdir -p "$logs"
chmod 1777 "$logs" # children that drop to an unprivileged user report here too
supp=$root/tests/sanitizers
# Suppressions name system libraries only (see the files); Verbolt's own code gets none.
export ASAN_OPTIONS="log_path=$logs/asan:detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="log_path=$logs/ubsan:print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir "$build" --output-on-failure -j2 || status=1

shopt -s nullglob
reports=("$logs"/*)
if [ ${#reports[@]} -gt 0 ]; then
    echo "Sanitizer reports:" >&2
    for r in "${reports[@]}"; do
        echo "=== $r" >&2
        cat "$r" >&2
    done
    status=1
fi
[ $status -eq 0 ] && echo "sanitize: every test passed, no sanitizer report"
exit $status
