#!/usr/bin/env bash
# Builds Pivane with warnings as errors and runs the whole test suite.
#   scripts/test.sh              normal build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/test.sh --tsan       ThreadSanitizer build in build-tsan/ (thread tests only)
#   scripts/test.sh --fuzz       clang + libFuzzer build in build-fuzz/ (fuzz targets only), each
#                                target run PIVANE_FUZZ_SECONDS (default 5) on its seeds:
#                                PIVANE_FUZZ_SECONDS=600 scripts/test.sh --fuzz is the long run
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

dir=build
# -O1 without debug information: the suite's build is most of CI's time, and the tests do not
# need either. A build of your own (cmake -S . -B DIR) keeps RelWithDebInfo.
opts=(-DPIVANE_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
      "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG")
filter=()
targets=()
case "${1:-}" in
  --sanitize) dir=build-asan; opts+=(-DPIVANE_SANITIZE=ON -DPIVANE_BENCH=OFF) ;;
  --tsan) dir=build-tsan; opts+=(-DPIVANE_TSAN=ON -DPIVANE_BENCH=OFF); filter=(-L thread) ;;
  --fuzz) dir=build-fuzz; filter=(-R '^fuzz_'); targets=(--target fuzz_targets)
    # -O1 without debug information: the build is what costs, and coverage does not need more.
    opts+=(-DPIVANE_FUZZ=ON -DPIVANE_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
           -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE=-O1 -DCMAKE_CXX_FLAGS_RELEASE=-O1) ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--sanitize|--tsan|--fuzz]" >&2; exit 2 ;;
esac

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
cmake -S . -B "$dir" -G Ninja "${opts[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" "${filter[@]}"
