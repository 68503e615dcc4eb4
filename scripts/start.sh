#!/usr/bin/env bash
# Builds Pivane and starts it. With no supported mouse plugged in, it talks to the emulated one
# (its state kept between runs; `pivanectl --sim-state FILE` can unplug and plug it meanwhile).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
state="${XDG_STATE_HOME:-$HOME/.local/state}/pivane/simulated-mouse.state"
mkdir -p "$(dirname "$state")"
if build/bin/pivanectl list 2>&1 | grep -q "no supported mouse"; then
  echo "No supported mouse found: starting with the emulated one ($state)." >&2
  exec build/bin/pivane --simulated-mouse=both --sim-state "$state" "$@"
fi
exec build/bin/pivane "$@"
