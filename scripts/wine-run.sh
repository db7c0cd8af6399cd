#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest. Wine's output goes to files, not to ctest's
# pipe: Wine's helper processes outlive the program and would hold the pipe open. A 64-bit
# prefix gets the 64-bit loader: with 32-bit Wine installed too, `wine` is the 32-bit one,
# which cannot start a 64-bit program given by its Unix path.
set -u
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
loader=wine
if [ -x /usr/lib/wine/wine64 ] && ! grep -qs '^#arch=win32' "${WINEPREFIX:-$HOME/.wine}/system.reg"; then
  loader=/usr/lib/wine/wine64
fi
# Wine takes its code page from the locale: this one gives 1252 on every machine.
WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=} LC_ALL=C.UTF-8 \
  "$loader" "$@" >"$out" 2>"$err" </dev/null
rc=$?
cat "$out" "$err"
exit $rc
