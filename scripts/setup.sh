#!/usr/bin/env bash
# Installs, once, the Debian packages the build and the tests need, and any named as arguments.
# Safe to run again: packages already present are left alone and nothing is downloaded.
set -euo pipefail

# The build (scdoc: the manual page; libedit: line editing; jemalloc: the program's allocator;
# libssl-dev: SHA-256 for saved plans; libxxhash-dev: their nodes' fingerprints; abseil: the
# registry's B-trees and hash tables),
# then what the tests use (python3: the terminal tests; pkg-config, man: the install test); clang
# and its runtime libraries (libFuzzer among them) build the fuzz targets (scripts/fuzz.sh);
# python3-jsonschema checks the JSON output against its schema; ansible-core runs the
# collection in ansible/ over an inventory of installations.
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
          libsimdjson-dev libabsl-dev scdoc libedit-dev libjemalloc-dev libssl-dev libxxhash-dev python3 pkgconf
          man-db clang libclang-rt-14-dev python3-jsonschema ansible-core "$@")

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
