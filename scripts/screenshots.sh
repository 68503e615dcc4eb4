#!/usr/bin/env bash
# Takes the README's screenshots from the real window under Xvfb, with the emulated mouse and a
# scratch home, into docs/screenshots/. Run it again after a change that shows.
#   scripts/screenshots.sh [BUILD_DIR]     (default build/, built here when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/screenshots
if [ ! -x "$build/bin/pivane" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j "$(nproc)"
fi
for tool in xvfb-run xdotool import convert; do
  command -v $tool >/dev/null || { echo "screenshots: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$out"
scratch=$(mktemp -d /tmp/pivane-shots-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# One session: starts pivane with the given arguments and environment, then runs the steps
# ("click X Y", "shot NAME", "wait S") against its window. Window coordinates, 1200 x 720.
session() {
  local args=$1 steps=$2 env_extra=$3
  local home=$scratch/home-$RANDOM
  mkdir -p "$home/.config/ORMAN-QV7" "$home/Documents" "$home/run"
  chmod 700 "$home/run"
  printf '[ORMAN-QV7]\nLCID=%s\n' "${LCID:-1033}" >"$home/.config/ORMAN-QV7/registry.ini"
  # The unprivileged user of the permission picture owns its home, as a person would.
  case $env_extra in *setpriv*) chown -R 65534:65534 "$home" ;; esac
  xvfb-run -a -s "-ac -screen 0 1400x900x24" env -u PIVANE_HOME HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_RUNTIME_DIR="$home/run" GSETTINGS_BACKEND=memory $env_extra \
    bash -c '
      "$0"/bin/pivane '"$args"' >"$1/pivane.log" 2>&1 &
      pid=$!
      for i in $(seq 1 100); do
        win=$(xdotool search --onlyvisible --name "^ORMAN-Q410$" 2>/dev/null | head -1) && [ -n "$win" ] && break
        sleep 0.1
      done
      [ -n "$win" ] || { echo "screenshots: no window" >&2; kill $pid; exit 1; }
      sleep 1.5
      while read -r verb a b; do
        case $verb in
          click) xdotool mousemove --window "$win" "$a" "$b" sleep 0.2 click 1 sleep 0.2 mousemove --window "$win" 1190 710; sleep 1.2 ;;
          wait) sleep "$a" ;;
          shot) import -window "$win" "$1/$a.png" ;;
        esac
      done <<<"$2"
      kill $pid; wait $pid 2>/dev/null || true
    ' "$PWD/$build" "$scratch" "$steps"
}

# The emulated mouse: its device row, then each tab of the mouse's strip.
session "--simulated-mouse=both --sim-state $scratch/mouse.state" "click 73 161
shot keys
click 180 260
shot macros
click 180 320
shot pointer
click 180 380
shot lighting
click 180 440
shot settings" ""

# A mouse that is plugged in but may not be opened: a fake sysfs tree with an unreadable node.
fake=$scratch/fake
mkdir -p "$fake/sys/class/hidraw/hidraw0/device" "$fake/dev"
echo "HID_ID=0003:000025A7:0000FA07" >"$fake/sys/class/hidraw/hidraw0/device/uevent"
: >"$fake/dev/hidraw0"
chmod 000 "$fake/dev/hidraw0"
runner=""
[ "$(id -u)" -eq 0 ] && chmod -R a+rwX "$scratch" && chmod 000 "$fake/dev/hidraw0" &&
  runner="setpriv --reuid=65534 --regid=65534 --clear-groups"
if [ -z "$runner" ]; then
  session "" "shot permission" "PIVANE_SYSFS_ROOT=$fake/sys PIVANE_DEV_ROOT=$fake/dev"
else
  # root opens every node: the window runs as an unprivileged user to see what a user sees.
  session "" "shot permission" "PIVANE_SYSFS_ROOT=$fake/sys PIVANE_DEV_ROOT=$fake/dev $runner"
fi

# Small files: 75 % of the window in 128 colours.
for shot in "$scratch"/*.png; do
  convert "$shot" -resize 75% -colors 128 -define png:compression-level=9 "PNG8:$out/$(basename "$shot")"
done
ls -l "$out" >&2
