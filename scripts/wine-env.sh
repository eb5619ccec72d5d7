# shellcheck shell=bash
# The environment of every Wine command of the scripts and tests, sourced by each of them: a
# 32-bit prefix, no debug output, no Mono or Gecko install prompt, and no menu builder, so that
# neither making a prefix nor a shortcut written under Wine puts anything into the Linux home
# folder (menu entries, file associations, desktop files).
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
