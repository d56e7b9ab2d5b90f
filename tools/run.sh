#!/usr/bin/env bash
# Installs what is missing, builds Vorendal and starts the window.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target vorendal vorendal-cli
exec "$root/build/app/vorendal"
