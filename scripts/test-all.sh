#!/usr/bin/env bash
# Installs what the project needs, builds both trees and runs every test:
# the Windows tests under Wine, the native tests plain and under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs="$(nproc)"
build() { # build <dir> <cmake args...>
    local dir="$1"; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

build build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
build build/native
build build/native-san -DVEK_SANITIZE=ON

status=0
WINEPREFIX="$PWD/build/win/wineprefix" scripts/wine-prefix.sh
ctest --test-dir build/win -j "$jobs" --output-on-failure --timeout 300 || status=1
WINEPREFIX="$PWD/build/win/wineprefix" timeout 30 wineserver -k 2>/dev/null || true
ctest --test-dir build/native -j "$jobs" --output-on-failure --timeout 300 || status=1
ctest --test-dir build/native-san -j "$jobs" --output-on-failure --timeout 300 || status=1
exit "$status"
