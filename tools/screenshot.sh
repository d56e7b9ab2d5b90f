#!/usr/bin/env bash
# Takes the README's picture of the window: starts the program under Xvfb, in Portuguese, in a
# folder holding a few tables from ../shared/testdata, waits for its window, captures it and writes
# a small PNG. Usage: tools/screenshot.sh [output.png]   (default: docs/window.png)
# VORENDAL_BUILD names the build folder (default: build/); it is built when the program is missing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/window.png}"
build="${VORENDAL_BUILD:-$root/build}"
testdata="$root/../shared/testdata"

"$root/tools/deps.sh" screenshot
if [ ! -x "$build/app/vorendal" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j2 --target vorendal
fi
[ -d "$testdata" ] || { echo "tools/screenshot.sh: $testdata is missing" >&2; exit 1; }

# a plain folder name for the tree to show, unless something else holds it
if mkdir /tmp/Exemplos 2>/dev/null; then work=/tmp/Exemplos; else work="$(mktemp -d)"; fi
trap 'rm -rf "$work"' EXIT
tables="$work/Tabelas"
mkdir -p "$tables/Relatórios" "$tables/Cópias antigas"
cp "$testdata/dbase/dans-dbf-lib/dbase3plus/cars/cars.dbf" "$tables/Carros.dbf"
cp "$testdata/dbase/javadbf-albfernandez/inventory.dbf" "$tables/estoque.dbf"
cp "$testdata/dbase/javadbf-albfernandez/provincias_es.dbf" "$tables/Províncias.dbf"
cp "$testdata/dbase/harbour-core/gtnap/cotacao.dbf" "$tables/Cotação.dbf"
cp "$testdata/dbase/dbfread-olemb/memotest.dbf" "$tables/Órgãos.dbf"
cp "$testdata/dbase/DBFFile-yortus/WSPMST.DBF" "$tables/ágil.dbf"

cat > "$work/capture.sh" <<'INNER'
set -euo pipefail
cd "$TABLES"
LANG=pt_BR.UTF-8 LANGUAGE=pt_BR QT_QPA_PLATFORM=xcb "$PROGRAM" &
program=$!
# the window is up once the X server knows it by its caption
for _ in $(seq 100); do
    xwininfo -name Vorendal >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1 # its first paint
geometry="$(xwininfo -name Vorendal | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}')"
import -window root -crop "$geometry" +repage "$SHOT"
kill "$program"
wait "$program" 2>/dev/null || true
INNER

TABLES="$tables" PROGRAM="$build/app/vorendal" SHOT="$work/full.png" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/capture.sh"
mkdir -p "$(dirname "$out")"
# a palette of 64 colours keeps the file small; the window's flat colours lose nothing visible
convert "$work/full.png" -strip -colors 64 "PNG8:$out"
echo "$out: $(stat -c %s "$out") bytes"
