#!/usr/bin/env bash
# Builds and runs every test, with the presets of CMakePresets.json:
#  1. default (build/, RelWithDebInfo): builds everything (application,
#     screenshot tool, tests, benches) and runs every CTest test but the one
#     labelled "bench" (image_bench's timing run): the GoogleTest cases of
#     tests/*, each area under its own label.
#  2. release (build-release/, Release, -O3 with the same -Werror): builds
#     everything again, tests and benches included, so that the warnings only
#     the optimiser finds fail the run; a build only, no test runs again.
#  3. asan (build-asan/, Debug, AddressSanitizer + UndefinedBehaviorSanitizer,
#     no benches): builds everything else and runs the same tests again.
#  4. tsan (build-tsan/, RelWithDebInfo, ThreadSanitizer, no benches): builds
#     jobs_tests and batch_tests only and runs the tests labelled "jobs" (the
#     device list and the jobs: workers and the user-interface thread) and
#     "batch" (many devices programmed at once); Qt's own internals are
#     suppressed in tests/jobs/tsan.supp.
#  5. fuzz (build-fuzz/, clang, libFuzzer + AddressSanitizer +
#     UndefinedBehaviorSanitizer; scripts/fuzz.sh): every target of fuzz/
#     for FUZZ_SECONDS seconds (default 30) from its seed corpus; skipped
#     when clang++ is missing.
#  6. package (build-package/, Release; scripts/package-check.sh): the Debian
#     package, checked with lintian, desktop-file-validate and appstreamcli
#     and unpacked to see that every file is where it belongs.
# Parallel jobs: CMAKE_BUILD_PARALLEL_LEVEL and CTEST_PARALLEL_LEVEL (default:
# the number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}

cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

cmake --preset release >/dev/null
cmake --build --preset release

cmake --preset asan >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:verify_asan_link_order=0} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  ctest --preset asan

cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan

bash scripts/fuzz.sh

bash scripts/package-check.sh
