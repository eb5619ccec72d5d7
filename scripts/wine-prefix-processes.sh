#!/usr/bin/env bash
# Lists the Wine processes of one prefix, one line each: the pid and the command line. Every Wine
# process carries its prefix in its environment, the wineserver and the programs Wine starts by
# itself (services.exe, the services, winedevice.exe ...) included; native processes that merely
# inherited WINEPREFIX from a script are left out.
#   wine-prefix-processes.sh PREFIX      (PREFIX as the processes were given it: $WINEPREFIX)
set -euo pipefail
[ "$#" -eq 1 ] || { echo "usage: $0 PREFIX" >&2; exit 2; }
wanted="WINEPREFIX=$1"

for proc in /proc/[0-9]*; do
    exe="$(readlink "$proc/exe" 2>/dev/null)" || continue
    case "${exe##*/}" in
    wine*) ;;
    *) continue ;;
    esac
    if tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "$wanted"; then
        echo "${proc#/proc/} $(tr '\0' ' ' <"$proc/cmdline" 2>/dev/null)"
    fi
done
exit 0
