#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest. Wine's output goes to files, not to ctest's
# pipe: Wine's helper processes outlive the program and would hold the pipe open.
set -u
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=} \
  wine "$@" >"$out" 2>"$err" </dev/null
rc=$?
cat "$out" "$err"
exit $rc
