#!/usr/bin/env bash
# Builds the program and runs the tour of the command language against the built-in
# installation. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default > /dev/null
cmake --build --preset default > /dev/null
exec build/hxo_cmdline examples/tour.hxo
