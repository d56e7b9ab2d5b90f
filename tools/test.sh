#!/usr/bin/env bash
# Installs what is missing, builds Vorendal and runs every test headless.
#   tools/test.sh                 build in build/ with warnings as errors, run all tests
#   tools/test.sh --sanitize      the same in build-asan/ with AddressSanitizer and UBSan
#   tools/test.sh --fuzz SECONDS  build the fuzz targets with clang and run each for SECONDS
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
mode="plain"
fuzz_seconds=60
while [ $# -gt 0 ]; do
    case "$1" in
        --sanitize) mode="sanitize" ;;
        --fuzz) mode="fuzz"; fuzz_seconds="${2:-60}"; shift ;;
        *) echo "tools/test.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

export QT_QPA_PLATFORM=offscreen

case "$mode" in
plain)
    # firebird: the round trip loads the scripts into a real Firebird
    "$root/tools/deps.sh" firebird
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORENDAL_WERROR=ON >/dev/null
    cmake --build "$root/build" -j"$jobs"
    ctest --test-dir "$root/build" --output-on-failure -j"$jobs"
    ;;
sanitize)
    "$root/tools/deps.sh" firebird
    cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVORENDAL_WERROR=ON \
        -DVORENDAL_SANITIZE=ON >/dev/null
    cmake --build "$root/build-asan" -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs"
    ;;
fuzz)
    "$root/tools/deps.sh" fuzz
    CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVORENDAL_FUZZ=ON -DVORENDAL_APP=OFF >/dev/null
    cmake --build "$root/build-fuzz" -j"$jobs" --target vorendal_fuzzers
    "$root/fuzz/run.sh" "$root/build-fuzz/fuzz" "$fuzz_seconds"
    ;;
esac
