#!/usr/bin/env bash
# Installs the Debian packages Vorendal needs that are missing. Usage: tools/deps.sh [extra...]
# Groups: (default) build and test, Firebird's client library included; "fuzz" adds clang with
# libFuzzer; "firebird" adds the embedded Firebird engine and tools used by the loads and script
# checks, and the server that one test starts; "screenshot" adds Xvfb and ImageMagick; "bench" adds the
# pgdbf converter that the export benchmark compares against.
set -euo pipefail

packages=(cmake g++ make pkg-config libgtest-dev qt6-base-dev qt6-translations-l10n fonts-dejavu-core
    fonts-liberation2 libxcb1-dev firebird-dev)
for group in "$@"; do
    case "$group" in
        fuzz) packages+=(clang libclang-rt-14-dev) ;;
        firebird) packages+=(firebird3.0-server-core firebird3.0-utils firebird3.0-server python3) ;;
        screenshot) packages+=(xvfb xauth imagemagick x11-utils) ;;
        bench) packages+=(pgdbf) ;;
        *) echo "tools/deps.sh: unknown group $group" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
