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

# The companion of table file $1 with extension $2 (any case), or nothing.
companion() {
    local table="$1" ext="$2"
    local stem; stem="$(basename "${table%.*}")"
    find "$(dirname "$table")" -maxdepth 1 -type f -iname "$stem.$ext" 2>/dev/null | head -n 1
}

# Seeds for a reader: each real table, and the table joined with its companions in the framing
# of the fuzz target (fuzz_dbf: table #VRDL# memo #VRDL# index; fuzz_paradox: table, then
# |PX| before each of .MB, .VAL, .X02, .XG0, .PX).
seed() { # seed DIR dbf|paradox
    local dir="$1" kind="$2" n=0 table part
    mkdir -p "$dir"
    [ -d "$testdata" ] || return 0
    local pattern='*.dbf'
    [ "$kind" = paradox ] && pattern='*.db'
    while IFS= read -r table; do
        n=$((n + 1))
        cp "$table" "$dir/plain-$n"
        {
            cat "$table"
            if [ "$kind" = dbf ]; then
                printf '#VRDL#'
                part="$(companion "$table" dbt)"; [ -n "$part" ] || part="$(companion "$table" fpt)"
                [ -n "$part" ] && cat "$part"
                printf '#VRDL#'
                part="$(companion "$table" mdx)"; [ -n "$part" ] || part="$(companion "$table" cdx)"
                [ -n "$part" ] && cat "$part"
            else
                for ext in mb val x02 xg0 px; do
                    printf '|PX|'
                    part="$(companion "$table" $ext)"
                    [ -n "$part" ] && cat "$part"
                done
            fi
            true
        } > "$dir/family-$n"
    done < <(find "$testdata" -type f -iname "$pattern" -size -2M)
}

status=0
for target in "$bin"/fuzz_*; do
    [ -x "$target" ] || continue
    name="$(basename "$target")"
    corpus="$work/$name"
    case "$name" in
        fuzz_dbf) seed "$corpus" dbf ;;
        fuzz_paradox) seed "$corpus" paradox ;;
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
