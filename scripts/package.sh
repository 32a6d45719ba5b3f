#!/usr/bin/env bash
# Builds the Debian package: a Release build of the programs alone in
# build-package/, then CPack. Prints the package's path, which is
# build-package/quillmar_<version>_<arch>.deb. Install it with
#   sudo apt install ./build-package/quillmar_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# Debian's hardening flags (fortified functions, stack protector, full
# RELRO with immediate binding), as dpkg-buildflags gives them.
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLMAR_BUILD_TESTS=OFF -DQUILLMAR_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package
rm -f build-package/quillmar_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/quillmar_*.deb
