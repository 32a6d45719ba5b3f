#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (preset "fuzz", build-fuzz/) and runs each one
# for FUZZ_SECONDS seconds (default 30) from its seed corpus fuzz/corpus/<t>/.
# Inputs found on the way go to build-fuzz/corpus/<t>/, a crash's input to
# build-fuzz/artifacts/; a crash fails the run. Skipped without clang++.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, skipped"
  exit 0
fi
seconds=${FUZZ_SECONDS:-30}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p build-fuzz/artifacts
export QT_QPA_PLATFORM=offscreen
for dir in fuzz/corpus/*/; do
  t=$(basename "$dir")
  mkdir -p "build-fuzz/corpus/$t"
  echo "fuzz: $t for ${seconds}s"
  status=0
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "build-fuzz/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/artifacts/$t-" "build-fuzz/corpus/$t" "$dir" \
      >"build-fuzz/$t.log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "build-fuzz/$t.log" || true
  if [ "$status" -ne 0 ]; then
    grep -E '^(==[0-9]+==|SUMMARY|    #[0-9]+ )' "build-fuzz/$t.log" | head -40 >&2 || true
    echo "fuzz: $t failed (exit $status); input in build-fuzz/artifacts/, log in build-fuzz/$t.log" >&2
    exit 1
  fi
done
