#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then one under AddressSanitizer and
# UndefinedBehaviorSanitizer. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default > /dev/null
cmake --build --preset default
ctest --preset default
cmake --preset sanitize > /dev/null
cmake --build --preset sanitize
ctest --preset sanitize
