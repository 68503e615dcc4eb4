#!/bin/sh
# Start-up of tolva-gallery on the GTK back end under Xvfb: time from main() to the first frame on
# the screen, and its resident memory at that point. Targets: under 100 ms, under 45 MB.
#   bench/ui/gallery_startup.sh [BUILD_DIR] [RUNS]
set -eu
build=${1:-build}
runs=${2:-15}
gallery="$build/bin/tolva-gallery"
[ -x "$gallery" ] || { echo "no $gallery; build the tolva-gallery target first" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)" >&2; exit 1; }
# GL is off in the program itself; the accessibility bridge would try to start a session bus under
# a bare Xvfb, which a desktop session already has.
export GDK_GL=disable NO_AT_BRIDGE=1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# One server for every run (-noreset: it does not rebuild its keymap after each client), so that
# only the program's own start-up is measured.
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" sh -c '
  i=0
  while [ "$i" -lt "$1" ]; do "$2" --bench; i=$((i + 1)); done' sh "$runs" "$gallery" >"$out"
n=$(wc -l <"$out")
pick() { # pick COLUMN ROW: the ROW-th smallest value of a column
  sed 's/[a-z_]*=//g' "$out" | awk -v c="$1" '{ print $c }' | sort -n | sed -n "$2p"
}
mid=$(( (n + 1) / 2 ))
echo "tolva-gallery first frame: min $(pick 1 1) ms, median $(pick 1 $mid) ms, max $(pick 1 $n) ms ($n runs)"
echo "tolva-gallery RSS at first frame: median $(( $(pick 2 $mid) / 1024 )) MB, max $(( $(pick 2 $n) / 1024 )) MB"
