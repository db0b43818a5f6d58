#!/usr/bin/env bash
# Runs one transcript test: NAME.hxo is run by hxo_cmdline from inside its folder, with NAME.in
# (if present) as standard input and standard error merged into standard output; the result,
# followed by a line "[exit N]", must equal NAME.expected. With UPDATE=1 the expected file is
# written instead.
set -uo pipefail
program=$1
script=$2
folder=$(cd "$(dirname "$script")" && pwd)
name=$(basename "$script" .hxo)
input=/dev/null
[ -f "$folder/$name.in" ] && input="$folder/$name.in"
actual=$(cd "$folder" && env -u ORBITANE_SIM -u ORBITANE_SIM_TRACE -u LINES \
  "$program" "$name.hxo" < "$input" 2>&1; echo "[exit $?]")
if [ "${UPDATE:-0}" = 1 ]; then
  printf '%s\n' "$actual" > "$folder/$name.expected"
  exit 0
fi
if ! diff -u "$folder/$name.expected" <(printf '%s\n' "$actual"); then
  echo "transcript $name differs (UPDATE=1 rewrites it)"
  exit 1
fi
