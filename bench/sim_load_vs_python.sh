#!/usr/bin/env bash
# Loading a generated site file, whole processes side by side: hxo_cmdline running AUTH and
# AGENT against it (the simulator loads the whole file) and python3 running json.load of the
# same file, interleaved RUNS times (default 5); the medians and their ratio. PYTHON names the
# interpreter (default: python3 as found on PATH); which one ran is printed, since builds differ
# (Debian's /usr/bin/python3 loads this file in about two thirds of the time of a pyenv build).
#
#   bench/sim_load_vs_python.sh [TARGETS] [BUILD_DIR]      (defaults: 100000 build)
source "$(dirname "$0")/common.sh"
targets=${1:-100000}
build=${2:-$build}  # relative to the repository
[ -x "$build/hxo_cmdline" ] || { echo "build $build/hxo_cmdline first" >&2; exit 1; }
python=$(command -v "${PYTHON:-python3}")
file="$work/site.json"

python3 - "$targets" "$file" <<'PY'
import json, sys
n, path = int(sys.argv[1]), sys.argv[2]
dsms = []
for first in range(0, n, 1000):
    dsms.append({"name": "dsm%d" % (first // 1000), "targets": [
        {"ipaddr": "10.%d.%d.%d" % (i >> 16 & 255, i >> 8 & 255, i & 255), "community": "public",
         "properties": {"POLL": str(i), "DESCRIPTION": "target number %d" % i}}
        for i in range(first, min(n, first + 1000))]})
site = {"format": 1, "server": "KORAS", "agents": [{"ipaddr": "10.0.0.1", "brokers": [
    {"ipaddr": "127.0.0.1", "local": True, "version": "4.2", "dsms": dsms}]}]}
with open(path, "w") as out:
    json.dump(site, out, indent=2)
PY
echo "file: $targets targets, $(wc -c < "$file") bytes; python: $python ($("$python" -c 'import sys; print(sys.version.split()[0])'), $(readlink -f "$python"))"

printf 'AUTH KORAS root\nAGENT a1 10.0.0.1\n' > "$work/load.hxo"

echo "load before: $(load_average); $runs interleaved runs, medians"
for _ in $(seq "$runs"); do
  timed python "$python" -c 'import json,sys; json.load(open(sys.argv[1]))' "$file"
  timed hxo env ORBITANE_SIM="$file" ORBITANE_SIM_READONLY=1 "$build/hxo_cmdline" "$work/load.hxo"
done
p=$(median python); h=$(median hxo)
printf "python3 json.load (whole process):        %7.1f ms\n" "$(awk -v t="$p" 'BEGIN { print t * 1000 }')"
printf "hxo_cmdline AUTH + AGENT (whole process): %7.1f ms\n" "$(awk -v t="$h" 'BEGIN { print t * 1000 }')"
printf "ratio: %.2f\n" "$(awk -v a="$h" -v b="$p" 'BEGIN { print a / b }')"
echo "load after: $(load_average)"
