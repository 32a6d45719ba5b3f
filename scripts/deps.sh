#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(
  # Build tools (CMakePresets.json: version 6, Ninja).
  cmake ninja-build g++ pkg-config
  # Qt 6 Widgets and Test; moc for AUTOMOC; Qt6Gui's CMake package requires
  # OpenGL (libgl-dev).
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # The hidraw backend (libudev) and its tests (umockdev-wrapper, umockdev-1.0).
  libudev-dev umockdev libumockdev-dev
  # GoogleTest.
  libgtest-dev
  # Command-line parsing of quillmar-cli.
  libcli11-dev
  # Dialog-unit metrics of Times New Roman and the Chinese status texts.
  fonts-liberation fonts-wqy-microhei
  # srec_cat: the differential HEX reader test in tests/image.
  srecord
  # /usr/bin/time: the jobs bench's peak memory of a whole quillmar-cli run.
  time
  # The fuzz targets (scripts/fuzz.sh): clang with libFuzzer and the
  # sanitizer runtimes.
  clang libclang-rt-14-dev
  # The Debian package (scripts/package.sh, scripts/package-check.sh):
  # dpkg-shlibdeps and dpkg-buildflags, gzip, and the checks of the package.
  dpkg-dev gzip file lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
