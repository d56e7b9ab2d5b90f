#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, seeded with the shared real tables when they are there.
# Usage: fuzz/run.sh BUILD_FUZZ_DIR SECONDS
set -euo pipefail
bin="$1"
seconds="${2:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
testdata="$root/../shared/testdata"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

seed() { # seed DIR PATTERN...
    local dir="$1"; shift
    mkdir -p "$dir"
    if [ -d "$testdata" ]; then
        for pattern in "$@"; do
            find "$testdata" -type f -iname "$pattern" -size -2M -exec cp {} "$dir/" \; 2>/dev/null || true
        done
    fi
}

status=0
for target in "$bin"/fuzz_*; do
    [ -x "$target" ] || continue
    name="$(basename "$target")"
    corpus="$work/$name"
    case "$name" in
        fuzz_dbf) seed "$corpus" '*.dbf' ;;
        fuzz_paradox) seed "$corpus" '*.db' ;;
        *) mkdir -p "$corpus" ;;
    esac
    echo "== $name for ${seconds}s ($(ls "$corpus" | wc -l) seeds)"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 \
            -print_final_stats=1 "$corpus" >"$work/$name.log" 2>&1; then
        tail -60 "$work/$name.log"
        status=1
    else
        grep -E 'stat::number_of_executed_units|Done' "$work/$name.log" | tail -2 || true
    fi
done
exit $status
