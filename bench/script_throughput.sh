#!/usr/bin/env bash
# Whole-process throughput of the interpreter on generated scripts of LINES lines (default
# 1,000,000): a mixed script (comments, PRINT, SET, history recall) through hxo_cmdline and
# through HXO_ExecuteCommands, and a script of PRINT lines through hxo_cmdline side by side
# with mawk doing the same work. Output goes to /dev/null; peak memory from GNU time.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
lines=${1:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$lines" "$work" <<'PY'
import sys
n, work = int(sys.argv[1]), sys.argv[2]
with open(f"{work}/mixed.hxo", "w") as f:
    f.write("SET CONTINUE TYPO\n")
    for i in range(n - 1):
        k = i % 5
        if k == 0: f.write(f"# comment {i}\n")
        elif k == 1: f.write(f"PRINT line {i} of the mixed script\n")
        elif k == 2: f.write("SET LINES 30\n")
        elif k == 3: f.write("!-1\n")
        else: f.write(f"print   spaced   words {i}\n")
with open(f"{work}/print.hxo", "w") as f:
    for i in range(n):
        f.write(f"PRINT line {i} of the print script\n")
PY

runs=${RUNS:-5}

measure() {  # label, command...: the best wall time of $runs runs, and the peak memory
  local label=$1; shift
  local best="" start end peak
  for _ in $(seq "$runs"); do
    start=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/peak" "$@" > /dev/null
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  peak=$(cat "$work/peak")
  awk -v l="$label" -v t="$best" -v n="$lines" -v p="$peak" \
    'BEGIN { printf "%-44s %8.3f s %12.0f lines/s %8.1f MiB peak\n", l, t, n / t, p / 1024 }'
}

echo "lines: $lines, best of $runs runs each"
measure "mixed script, hxo_cmdline" "$build/hxo_cmdline" "$work/mixed.hxo"
measure "mixed script, HXO_ExecuteCommands" "$build/bench/hxo_run_commands" "$work/mixed.hxo"
measure "PRINT script, hxo_cmdline" "$build/hxo_cmdline" "$work/print.hxo"
measure "PRINT script, mawk (same output)" mawk '{ $1=""; print substr($0,2) }' "$work/print.hxo"
