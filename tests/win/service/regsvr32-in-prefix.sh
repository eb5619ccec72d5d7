#!/usr/bin/env bash
# Registers a COM server DLL of the build tree in the tree's Wine prefix with Wine's regsvr32, or
# unregisters it when "/u" follows.
# usage: regsvr32-in-prefix.sh <wine-run> <scripts folder> <prefix> <dll> [/u]
set -euo pipefail
wine_run=$1 scripts=$2 prefix=$3 dll=$4
shift 4
export WINEPREFIX="$prefix"
"$scripts/wine-prefix.sh"
# The prefix's Z: drive is the Linux root.
windows_dll="Z:${dll//\//\\}"
exec "$wine_run" "$prefix/drive_c/windows/system32/regsvr32.exe" /s "$@" "$windows_dll"
