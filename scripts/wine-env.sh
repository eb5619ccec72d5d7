# shellcheck shell=bash
# The environment of every Wine command of the scripts and tests, sourced by each of them: the
# prefix's architecture, no debug output, no Mono or Gecko install prompt, and no menu builder, so
# that neither making a prefix nor a shortcut written under Wine puts anything into the Linux home
# folder (menu entries, file associations, desktop files).
#
# The program is 32-bit, and its tests run the 32-bit build in a 32-bit prefix. A kernel without
# IA-32 emulation runs no 32-bit code at all, Wine's 32-bit loader included: there the tests run a
# 64-bit build of the same sources in a 64-bit prefix (VEK_WINDOWS_ARCH x86_64; a build tree's
# wine-run sets it to the tree's own).
if [ -z "${VEK_WINDOWS_ARCH:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        VEK_WINDOWS_ARCH=i686
    else
        VEK_WINDOWS_ARCH=x86_64
    fi
fi
export VEK_WINDOWS_ARCH
case "$VEK_WINDOWS_ARCH" in
i686) export WINEARCH=win32 ;;
x86_64)
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    vek_wine_shims="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64"
    case ":$PATH:" in
    *":$vek_wine_shims:"*) ;;
    *) export PATH="$vek_wine_shims:$PATH" ;;
    esac
    ;;
*)
    echo "wine-env: VEK_WINDOWS_ARCH must be i686 or x86_64" >&2
    # shellcheck disable=SC2317 # exit is for a run, return for a source
    return 2 2>/dev/null || exit 2
    ;;
esac
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
