#!/usr/bin/env bash
# Installs a build into a temporary prefix and uses it as users and embedders do: the files
# installed, a C program built against them through find_package and through pkg-config, the
# manual page, the bash completion, and the program run from a moved copy of the prefix.
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
check() {
  [ "$2" = "$3" ] || { printf '%s: expected\n%s\ngot\n%s\n' "$1" "$3" "$2"; exit 1; }
}

cmake --install "$build" --prefix "$prefix" > /dev/null
# What users and embedders need, nothing else: no tests, benchmarks or static libraries.
expected=(bin/hxo_cmdline include/hxo/hxo.h lib/libHxpHxo.so{,.1,.1.0.0} lib/pkgconfig/hxo.pc
  lib/cmake/HxpHxo/HxpHxoConfig{,-BUILDTYPE,Version}.cmake share/man/man1/hxo_cmdline.1.gz
  share/bash-completion/completions/hxo_cmdline share/hxo/site.json
  share/hxo/examples/tour{,_included,_objects,_props}.hxo)
installed=$(cd "$prefix" && find . ! -type d | sed 's|^\./||; s|Config-[a-z]*\.|Config-BUILDTYPE.|')
check "installed files" "$(LC_ALL=C sort <<< "$installed")" \
  "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)"

cmake -S "$here" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$work/cmake" > /dev/null
# shellcheck disable=SC2046  # pkg-config's flags are words
cc -std=c99 -Wall -Wextra -Werror "$here/consumer.c" -o "$work/consumer" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs hxo)
# Both run against the installed site file, which describes the built-in installation.
export ORBITANE_SIM=$prefix/share/hxo/site.json ORBITANE_SIM_READONLY=1
"$work/cmake/consumer"
LD_LIBRARY_PATH="$prefix/lib" "$work/consumer"
unset ORBITANE_SIM ORBITANE_SIM_READONLY

page=$prefix/share/man/man1/hxo_cmdline.1.gz
check "man warnings" "$(MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null)" ""

completion=$prefix/share/bash-completion/completions/hxo_cmdline
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _hxo_cmdline 2> /dev/null
           printf "%s\n" "${COMPREPLY[@]}"' - "$completion" "$@"
}
mkdir -p "$work/files/sub" && touch "$work/files/site.json" "$work/files/run.hxo"
cd "$work/files"
check "completion of an option" "$(complete_words hxo_cmdline --si)" "--sim"
check "completion after --sim" "$(complete_words hxo_cmdline --sim '')" $'sub\nsite.json'
check "completion after --sim=" "$(complete_words hxo_cmdline --sim = s)" $'sub\nsite.json'
check "completion of a script" "$(complete_words hxo_cmdline '')" $'sub\nrun.hxo'

mv "$prefix" "$work/moved"
library=$(env -u LD_LIBRARY_PATH ldd "$work/moved/bin/hxo_cmdline" | awk '/libHxpHxo/ { print $3 }')
check "library of the moved program" "$(realpath -s "$library")" "$work/moved/lib/libHxpHxo.so.1"
check "moved program" "$(env -u LD_LIBRARY_PATH "$work/moved/bin/hxo_cmdline" --version)" \
  "hxo_cmdline $version"
echo "install: files, find_package and pkg-config consumers, manual page, completion, moved prefix"
