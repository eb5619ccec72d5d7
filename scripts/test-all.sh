#!/usr/bin/env bash
# Installs what the project needs, builds both trees and runs every test:
# the Windows tests under Wine, the native tests plain and under the sanitizers, and a short
# bounded run of every fuzz target over the parsers of server input.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/lint.sh
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
if [ "$VEK_WINDOWS_ARCH" != i686 ]; then
    echo "test-all: this machine's kernel runs no 32-bit x86 code: the Windows tests run a" \
         "64-bit build of the same sources in a 64-bit Wine prefix" >&2
fi

jobs="$(nproc)"
build() { # build <dir> <cmake args...>
    local dir="$1"; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

scripts/windows-tree.sh build/win
build build/win -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$VEK_WINDOWS_ARCH.cmake"
shipped=build/win
if [ "$VEK_WINDOWS_ARCH" != i686 ]; then
    # The program we ship is 32-bit: its tree (program, admin server, tests) is built in every
    # run, also where its tests cannot run.
    shipped=build/win-i686
    VEK_WINDOWS_ARCH=i686 scripts/windows-tree.sh "$shipped"
    build "$shipped" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
fi
build build/native
build build/native-san -DVEK_SANITIZE=ON
cmake -S . -B build/fuzz -G Ninja -DVEK_FUZZ=ON -DCMAKE_C_COMPILER=clang \
      -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fuzzers=(dns_reply_fuzz update_reply_fuzz host_list_fuzz http_reply_framing_fuzz hint_markup_fuzz)
cmake --build build/fuzz -j "$jobs" --target "${fuzzers[@]}"

status=0
for fuzzer in "${fuzzers[@]}"; do
    echo "fuzzing $fuzzer for 20 s"
    # The committed seeds, copied to a scratch folder that the fuzzer may add its finds to.
    rm -rf "build/fuzz/corpus/$fuzzer" && mkdir -p build/fuzz/corpus && cp -r "tests/fuzz/corpus/$fuzzer" build/fuzz/corpus/
    timeout -k 5 120 "build/fuzz/tests/fuzz/$fuzzer" "build/fuzz/corpus/$fuzzer" -max_total_time=20 -rss_limit_mb=1024 -artifact_prefix=build/fuzz/ \
        -print_final_stats=0 2>"build/fuzz/$fuzzer.log" || { tail -30 "build/fuzz/$fuzzer.log"; status=1; }
done
for binary in "$shipped/Main/TarvoVEK.exe" "$shipped/Main/AdminManager.dll"; do
    echo "test-all: shipped build: $(file -b "$binary" | cut -d, -f1): $binary"
done
echo "test-all: the Windows tests run on the $VEK_WINDOWS_ARCH build (build/win)"
WINEPREFIX="$PWD/build/win/wineprefix" scripts/wine-prefix.sh
ctest --test-dir build/win -j "$jobs" --output-on-failure --timeout 300 || status=1
WINEPREFIX="$PWD/build/win/wineprefix" timeout 30 wineserver -k 2>/dev/null || true
ctest --test-dir build/native -j "$jobs" --output-on-failure --timeout 300 || status=1
ctest --test-dir build/native-san -j "$jobs" --output-on-failure --timeout 300 || status=1
exit "$status"
