#!/usr/bin/env bash
# Whole-process throughput of the interpreter on generated scripts of LINES lines (default
# 1,000,000), output to /dev/null:
#   - two PRINT scripts ("PRINT hello world line N" and "PRINT line N of the print script")
#     through hxo_cmdline, side by side with mawk doing the same work, and the first also
#     through HXO_ExecuteCommands (bench/run_commands.cpp holds the caller's one copy);
#   - a mixed script (comments, PRINT, SET, history recall) through both.
# The commands of one comparison run interleaved, RUNS times (default 5); the medians, their
# ratio, and each run's peak resident memory (GNU time) against the script's size are printed.
source "$(dirname "$0")/common.sh"
lines=${1:-1000000}

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
with open(f"{work}/hello.hxo", "w") as f:
    for i in range(n):
        f.write(f"PRINT hello world line {i}\n")
with open(f"{work}/print.hxo", "w") as f:
    for i in range(n):
        f.write(f"PRINT line {i} of the print script\n")
PY

mawk_print=(mawk '{ $1=""; print substr($0,2) }')

# run LABEL COMMAND...: one timed run; appends "seconds peak-KiB" to $work/LABEL.
run() {
  local label=$1; shift
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f '%M' -o "$work/peak" "$@" > /dev/null
  end=$(date +%s.%N)
  echo "$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }') $(cat "$work/peak")" \
    >> "$work/$label"
}

# median_field LABEL FIELD: the median of one field over the runs of LABEL.
median_field() { sort -g -k"$2" "$work/$1" | awk -v f="$2" '{ v[NR] = $f } END { print v[int((NR + 1) / 2)] }'; }

# report LABEL DESCRIPTION SCRIPT [CALLER_COPY]: median time, lines per second, median peak
# memory, and the peak memory as a multiple of the script's size; with CALLER_COPY (1), the
# caller's copy of the text is taken off the peak first.
report() {
  local t peak size
  t=$(median_field "$1" 1); peak=$(median_field "$1" 2); size=$(wc -c < "$3")
  awk -v l="$2" -v t="$t" -v n="$lines" -v p="$peak" -v s="$size" -v c="${4:-0}" \
    'BEGIN { printf "%-46s %7.3f s %6.2f M lines/s %7.1f MiB peak (%.2fx script%s)\n",
             l, t, n / t / 1e6, p / 1024, (p * 1024 - c * s) / s, c ? " beyond the copy" : "" }'
}

ratio() {  # LABEL_A LABEL_B TEXT
  awk -v a="$(median_field "$1" 1)" -v b="$(median_field "$2" 1)" -v l="$3" \
    'BEGIN { printf "%-46s %7.2f\n", l, a / b }'
}

echo "lines: $lines, $runs interleaved runs, medians; load: $(load_average)"
for _ in $(seq "$runs"); do
  run hello_hxo "$build/hxo_cmdline" "$work/hello.hxo"
  run hello_mawk "${mawk_print[@]}" "$work/hello.hxo"
  run hello_lib "$build/bench/hxo_run_commands" "$work/hello.hxo"
  run print_hxo "$build/hxo_cmdline" "$work/print.hxo"
  run print_mawk "${mawk_print[@]}" "$work/print.hxo"
  run mixed_hxo "$build/hxo_cmdline" "$work/mixed.hxo"
  run mixed_lib "$build/bench/hxo_run_commands" "$work/mixed.hxo"
done
report hello_hxo "'PRINT hello world line N', hxo_cmdline" "$work/hello.hxo"
report hello_mawk "'PRINT hello world line N', mawk" "$work/hello.hxo"
report hello_lib "'PRINT hello world line N', HXO_ExecuteCommands" "$work/hello.hxo" 1
report print_hxo "'PRINT line N of the print script', hxo_cmdline" "$work/print.hxo"
report print_mawk "'PRINT line N of the print script', mawk" "$work/print.hxo"
report mixed_hxo "mixed script, hxo_cmdline" "$work/mixed.hxo"
report mixed_lib "mixed script, HXO_ExecuteCommands" "$work/mixed.hxo" 1
ratio hello_hxo hello_mawk "hxo_cmdline / mawk, 'PRINT hello world line N'"
ratio print_hxo print_mawk "hxo_cmdline / mawk, 'PRINT line N of the print...'"
echo "load after: $(load_average)"
