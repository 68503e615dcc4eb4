#!/usr/bin/env bash
# Builds Pivane and starts it. With no supported mouse plugged in, it talks to the emulated one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
state="${XDG_STATE_HOME:-$HOME/.local/state}/pivane/simulated-mouse.state"
mkdir -p "$(dirname "$state")"
if [ -x build/bin/pivane ]; then
  exec build/bin/pivane "$@"
fi
# Until the main window exists, show what the device link sees.
if build/bin/pivanectl list | grep -q "no supported mouse"; then
  exec build/bin/pivanectl --simulated-mouse=both --sim-state "$state" "${@:-list}"
fi
exec build/bin/pivanectl "${@:-list}"
