#!/usr/bin/env bash
# Runs each fuzz target for a bounded time from its committed seeds (fuzz/corpus/<target>).
# Usage: fuzz/run.sh BUILD_FUZZ_DIR SECONDS
#        fuzz/run.sh --corpus BUILD_FUZZ_DIR   rebuilds fuzz/corpus: the shared real tables, each
#            file of a table family cut to its first few KiB, and the hostile seeds of seeds.cpp
#            (the only seeds of fuzz_tab), minimised by libFuzzer's -merge.
# Inputs stay small (-max_len below): a whole large table costs every run its full size, and the
# readers' interesting paths lie in headers, the first blocks and the companions' first bytes.
set -euo pipefail
rebuild=no
if [ "${1:-}" = --corpus ]; then
    rebuild=yes
    shift
fi
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

max_len() {
    case "$1" in
        fuzz_dbf|fuzz_tab) echo 8192 ;;
        *) echo 24576 ;;
    esac
}

# Cuts each part of every framed seed in $1 to its first bytes (table, then companions).
cut_parts() { # cut_parts DIR dbf|paradox
    python3 - "$1" "$2" <<'PY'
import os, sys
folder, kind = sys.argv[1], sys.argv[2]
marker = b"#VRDL#" if kind == "dbf" else b"|PX|"
caps = [2048, 1536, 3072] if kind == "dbf" else [6144, 8192, 1024, 2048, 2048, 2048]
for name in os.listdir(folder):
    path = os.path.join(folder, name)
    parts = open(path, "rb").read().split(marker)
    parts = [p[:caps[min(i, len(caps) - 1)]] for i, p in enumerate(parts)]
    open(path, "wb").write(marker.join(parts))
PY
}

if [ "$rebuild" = yes ]; then
    "$bin/vorendal_fuzz_seeds" "$work/hostile"
    for kind in dbf paradox tab; do
        name="fuzz_$kind"
        mkdir -p "$work/$name"
        if [ "$kind" != tab ]; then # no real table definition files: the hostile ones alone
            seed "$work/$name" "$kind"
        fi
        cp "$work/hostile/$name"/* "$work/$name"/
        [ "$kind" = tab ] || cut_parts "$work/$name" "$kind"
        rm -rf "${root:?}/fuzz/corpus/$name"
        mkdir -p "$root/fuzz/corpus/$name"
        "$bin/$name" -merge=1 -max_len="$(max_len "$name")" -timeout=10 \
            "$root/fuzz/corpus/$name" "$work/$name" 2>&1 | tail -1
    done
    exit 0
fi

status=0
for target in "$bin"/fuzz_*; do
    [ -x "$target" ] || continue
    name="$(basename "$target")"
    corpus="$work/$name"
    mkdir -p "$corpus"
    if [ -d "$root/fuzz/corpus/$name" ]; then
        cp "$root/fuzz/corpus/$name"/* "$corpus"/
    fi
    echo "== $name for ${seconds}s ($(ls "$corpus" | wc -l) seeds)"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len="$(max_len "$name")" -print_final_stats=1 \
            -artifact_prefix="$bin/" "$corpus" >"$work/$name.log" 2>&1; then
        tail -60 "$work/$name.log"
        status=1
    else
        grep -E 'stat::number_of_executed_units|Done' "$work/$name.log" | tail -2 || true
    fi
done
exit $status
