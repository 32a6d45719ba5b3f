#!/usr/bin/env bash
# Builds and runs every test: the normal build, then the AddressSanitizer +
# UndefinedBehaviorSanitizer build, then the job tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" -LE bench

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMAR_SANITIZE=ON -DQUILLMAR_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:verify_asan_link_order=0} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE bench

# The device and job tests again under ThreadSanitizer (workers and the
# user-interface thread); Qt's own internals are suppressed in
# tests/jobs/tsan.supp.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMAR_TSAN=ON -DQUILLMAR_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target jobs_tests
ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L jobs
