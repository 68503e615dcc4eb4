#!/usr/bin/env bash
# The package on a clean Debian 12: builds the .deb with cpack, installs it with apt into a
# minimal bookworm chroot, and runs the installed programs there. Needs root and the network
# (debootstrap and apt fetch from the Debian mirror), so it is not part of the suite.
#   tests/package/install-check.sh BUILD_DIR [CHROOT_DIR]
# CHROOT_DIR (default /var/tmp/pivane-bookworm) is made by debootstrap when it is missing and
# copied, so every run starts from the same clean system.
set -euo pipefail
build=$(cd "${1:?usage: install-check.sh BUILD_DIR [CHROOT_DIR]}" && pwd)
base=${2:-/var/tmp/pivane-bookworm}
mirror=${PIVANE_DEBIAN_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "install-check: needs root (debootstrap, chroot, mount)" >&2; exit 2; }
say() { echo "install-check: $*" >&2; }
fail() { say "FAILED: $*"; exit 1; }

if [ ! -x "$base/usr/bin/apt-get" ]; then
  command -v debootstrap >/dev/null || fail "debootstrap is not installed (apt-get install debootstrap)"
  say "debootstrap bookworm into $base"
  start=$(date +%s)
  debootstrap --variant=minbase bookworm "$base" "$mirror" >/tmp/pivane-debootstrap.log 2>&1 ||
    fail "debootstrap failed, see /tmp/pivane-debootstrap.log"
  say "debootstrap took $(( $(date +%s) - start )) s"
fi

say "cpack -G DEB in $build"
(cd "$build" && cpack -G DEB >/tmp/pivane-cpack.log 2>&1) || { cat /tmp/pivane-cpack.log >&2; fail "cpack"; }
deb=$(ls -t "$build"/pivane_*.deb | head -1)
say "package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, $(dpkg-deb -c "$deb" | wc -l) entries"
dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ */  depends: /' >&2

root=$(mktemp -d /var/tmp/pivane-check-XXXXXX)
cleanup() {
  for m in dev/pts dev proc; do mountpoint -q "$root/$m" && umount -l "$root/$m"; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
cp -a "$base/." "$root/"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/pivane.deb"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

start=$(date +%s)
in_root apt-get update -qq >/dev/null
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  /tmp/pivane.deb >/tmp/pivane-apt.log 2>&1 || { tail -30 /tmp/pivane-apt.log >&2; fail "apt install"; }
say "apt installed the package and its dependencies in $(( $(date +%s) - start )) s;" \
    "$(in_root dpkg-query -W -f='${binary:Package}\n' | wc -l) packages in the chroot"

in_root pivanectl --help >/dev/null || fail "pivanectl --help"
out=$(in_root pivanectl --simulated-mouse list 2>&1) || fail "pivanectl --simulated-mouse list: $out"
echo "$out" | sed 's/^/  /' >&2
grep -q "ORMAN-Q410.*online" <<<"$out" || fail "the emulated mouse is not online"
in_root pivanectl --simulated-mouse --json status >/dev/null || fail "pivanectl status"
in_root pivane --help >/dev/null || fail "pivane --help"
[ -f "$root/usr/lib/udev/rules.d/70-pivane.rules" ] || [ -f "$root/lib/udev/rules.d/70-pivane.rules" ] ||
  fail "no udev rule installed"

# The installed pivane under a virtual display: it must read its program folder
# (/usr/share/pivane) and paint a first frame.
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  xvfb xauth strace >/dev/null 2>&1 || fail "cannot install xvfb in the chroot"
in_root sh -c 'export XDG_RUNTIME_DIR=/tmp/run; mkdir -p -m 700 $XDG_RUNTIME_DIR;
  PIVANE_REPORT_FIRST_FRAME=1 timeout 12 xvfb-run -a -s "-screen 0 1400x900x24" \
  strace -f -e trace=openat -o /tmp/pivane.strace pivane --simulated-mouse=both \
  --sim-state /tmp/mouse.state >/tmp/pivane.out 2>&1; true'
grep -q first_frame_epoch_ns "$root/tmp/pivane.out" || { cat "$root/tmp/pivane.out" >&2; fail "pivane painted no frame"; }
opened=$(grep -c 'openat(.*"/usr/share/pivane/[^"]*", O_RDONLY[^)]*) = [0-9]' "$root/tmp/pivane.strace" || true)
missing=$(grep -c '"/usr/share/pivane/[^"]*".* = -1 ENOENT' "$root/tmp/pivane.strace" || true)
grep -q '"/usr/share/pivane/config.xml".* = [0-9]' "$root/tmp/pivane.strace" || fail "pivane did not open its config.xml"
say "installed pivane painted its first frame; it opened $opened files of /usr/share/pivane/" \
    "($missing looked for and absent)"
say "OK"
