#!/usr/bin/env bash
# The long hardening runs against an existing build (default build/): the worker soak over 1000
# sessions, 300 kills during store writes, and 120 s of the window and pivanectl on one store.
#   scripts/soak.sh [BUILD_DIR]      PIVANE_SOAK_SEED repeats a soak; each run prints its seed
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
export PIVANE_HOME=$build/bin/ PIVANE_SOURCE_DIR=$PWD GSETTINGS_BACKEND=memory GDK_GL=disable
cmake --build "$build" --target worker_soak_tests pivane pivanectl
status=0
PIVANE_SOAK_SESSIONS=${PIVANE_SOAK_SESSIONS:-1000} "$build/tests/worker_soak_tests" \
  --gtest_filter='WorkerSoak.Faults*' || status=1
xvfb-run -a -s "-screen 0 1400x900x24" python3 tests/crash/store_kill.py --bin "$build/bin" \
  --kills "${PIVANE_KILLS:-300}" || status=1
xvfb-run -a -s "-screen 0 1400x900x24" python3 tests/crash/store_sharing.py --bin "$build/bin" \
  --seconds "${PIVANE_SHARE_SECONDS:-120}" || status=1
exit $status
