#!/usr/bin/env bash
# Checks what the house keeps by habit: every C++ file as the committed .clang-format lays it out
# (clang-format 14, Debian 12's), and every shell script clean under shellcheck. The CMake
# template of the build trees' wine-run is checked as the script it becomes.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format-14 --dry-run --Werror "${sources[@]}" || status=1

# The scripts: every tracked file that starts with a shell's #! line, and the sourced ones.
mapfile -t scripts < <(git ls-files | while read -r file; do
    case "$file" in
    *.sh) echo "$file" ;;
    *.in) ;;
    *) head -n1 "$file" 2>/dev/null | grep -q '^#!.*\(ba\)\{0,1\}sh' && echo "$file" ;;
    esac
done)
template="$(mktemp)"
trap 'rm -f "$template"' EXIT
sed 's/@[A-Za-z_]*@/placeholder/g' scripts/wine-run.in >"$template"
shellcheck -x "${scripts[@]}" || status=1
shellcheck -x --shell=bash "$template" || { echo "lint: (above: scripts/wine-run.in)" >&2; status=1; }
exit "$status"
