#!/bin/bash
# tools/test.sh: build everything and run every test.
#
# Installs missing packages (Debian 12, as root), configures and builds
# build/native (host compilers: the harness tools, native tests with
# sanitizers, fuzzers) and build/win (mingw-w64), runs ctest in both (the
# Windows tests one at a time, under Wine, with the harness started and
# stopped by ctest's fixtures) and ends with one line: "N passed, N failed".
# Exit status 0 only when everything built and passed. Leaves no process
# behind. The second run reuses the build trees and the Wine prefix.
#
# Environment: LF_JOBS (parallel build jobs, default 2), LF_BUILD_ROOT
# (instead of build/, for a separate set of build trees).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/tools/packages.sh"

jobs=${LF_JOBS:-2}
build=${LF_BUILD_ROOT:-$root/build}
passed=0
failed=0

lf_ensure_packages "${LF_PACKAGES[@]}" || { echo "0 passed, 1 failed"; exit 1; }

configure() {
    local tree=$1
    shift
    [ -f "$tree/Makefile" ] && return 0
    cmake -S "$root" -B "$tree" -G "Unix Makefiles" "$@"
}

# Adds the counts of a ctest run (its output in $1) to the totals.
count_results() {
    local log=$1 summary total failures
    summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        grep -q 'No tests were found' "$log" && return 0
        echo "test.sh: no ctest summary in $log" >&2
        failed=$((failed + 1))
        return 0
    fi
    failures=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$summary")
    total=$(sed -E 's/.*failed out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$((passed + total - failures))
    failed=$((failed + failures))
}

# build_and_test <tree> <ctest parallel jobs> <cmake configure arguments...>
build_and_test() {
    local tree=$1 test_jobs=$2
    shift 2
    echo "=== $tree: configure and build"
    if ! configure "$tree" "$@" || ! cmake --build "$tree" -j "$jobs"; then
        echo "test.sh: building $tree failed" >&2
        failed=$((failed + 1))
        return
    fi
    echo "=== $tree: ctest"
    ctest --test-dir "$tree" --output-on-failure -j "$test_jobs" 2>&1 | tee "$tree/ctest.log"
    count_results "$tree/ctest.log"
}

start=$SECONDS
build_and_test "$build/native" 2 -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
build_and_test "$build/win" 1 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
# ctest's cleanup fixture has stopped the harness; this only matters when ctest was cut short.
"$root/tools/harness" down "$build/win" >/dev/null 2>&1
source "$root/tools/harness-lib.sh"
leftovers=$(lf_harness_leftovers "$build/win/wine")
if [ -n "$leftovers" ]; then
    echo "test.sh: processes left behind:" >&2
    ps -o pid,args -p "$(echo $leftovers | tr ' ' ,)" >&2
    failed=$((failed + 1))
fi

echo "test.sh: $((SECONDS - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
