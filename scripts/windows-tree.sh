#!/usr/bin/env bash
# windows-tree.sh <build dir>: clears a Windows build tree that was configured for another
# architecture than VEK_WINDOWS_ARCH (scripts/wine-env.sh), since CMake keeps a tree's compiler.
set -euo pipefail
tree="$1"
cache="$tree/CMakeCache.txt"
if [ -f "$cache" ] && ! grep -q "^CMAKE_TOOLCHAIN_FILE:.*/mingw-$VEK_WINDOWS_ARCH\.cmake$" "$cache"; then
    echo "windows-tree: $tree was configured for another architecture: made anew"
    rm -rf "$tree"
fi
