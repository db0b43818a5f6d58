#!/usr/bin/env bash
# Builds the Debian packages libhxphxo1, libhxphxo-dev and hxo-cmdline into build-package/, with
# Debian's compiler and linker flags, under the prefix /usr. With --lint, checks them with
# lintian too (installed for that check only).
set -euo pipefail
cd "$(dirname "$0")/.."
lint=0
[ "${1:-}" = --lint ] && lint=1
tools=(dpkg-dev file)  # dpkg-shlibdeps and file find what the binaries need
[ "$lint" = 1 ] && tools+=(lintian)
bash scripts/setup.sh "${tools[@]}"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake --preset package > /dev/null \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build --preset package
rm -f build-package/*.deb
(cd build-package && cpack -G DEB > /dev/null)
ls build-package/*.deb
if [ "$lint" = 1 ]; then
  lintian --info build-package/*.deb
fi
