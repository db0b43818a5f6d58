#!/usr/bin/env bash
# Runs one fuzz target for SECONDS seconds:
#   scripts/fuzz.sh command|site|plan SECONDS [libFuzzer flags]
#   command  the input as a command text, through the engine (fuzz/command_fuzzer.cpp)
#   site     the input as a site file: load, write back, load again, compare (fuzz/site_fuzzer.cpp)
#   plan     the input as choices of a site and script lines: a dry run's plan against the real
#            run's change (fuzz/plan_fuzzer.cpp)
# Builds the fuzz preset first (clang, libFuzzer, ASan and UBSan; installs clang when missing).
# The corpus grows in build-fuzz/corpus/TARGET, seeded from examples/ (and, for commands, from
# tests/transcripts/; the plan target starts from nothing); a crash, leak or sanitizer report stops the run with a non-zero status and
# leaves the input in build-fuzz/artifacts/. Runs at low priority (nice).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD  # paths given to the fuzzer are absolute: the command target works in a folder of its own
usage="usage: scripts/fuzz.sh command|site|plan SECONDS [libFuzzer flags]"
target=${1:?$usage}
seconds=${2:?$usage}
shift 2
case $target in
  command) seeds=(examples/*.hxo tests/transcripts/*.hxo); dict=fuzz/commands.dict
           flags=(-close_fd_mask=2) ;;  # hides the engine's messages; libFuzzer's own stay
  site) seeds=(examples/site.json fuzz/site_seed.json fuzz/site_targets_seed.json)
        dict=fuzz/site.dict
        flags=(-max_len=4096) ;;  # small sites are fast to mutate; the large seed is cut short
  plan) seeds=(); dict=  # its bytes are choices, not text: no seeds or words to offer
        flags=(-max_len=256 -len_control=0 -close_fd_mask=2) ;;  # a site and 40 lines at once
  *) echo "$usage" >&2; exit 64 ;;
esac
bash scripts/setup.sh
cmake --preset fuzz > /dev/null
nice cmake --build --preset fuzz --target "${target}_fuzzer"
corpus=$root/build-fuzz/corpus/$target
seedCopy=$root/build-fuzz/seeds/$target
mkdir -p "$corpus" "$seedCopy" "$root/build-fuzz/artifacts"
if [ ${#seeds[@]} -gt 0 ]; then cp "${seeds[@]}" "$seedCopy"/; fi
if [ -n "$dict" ]; then flags+=(-dict="$root/$dict"); fi
exec nice "$root/build-fuzz/fuzz/${target}_fuzzer" -max_total_time="$seconds" \
  -timeout=20 -print_final_stats=1 -artifact_prefix="$root/build-fuzz/artifacts/" "${flags[@]}" \
  "$@" "$corpus" "$seedCopy"
