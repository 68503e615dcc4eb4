#!/usr/bin/env bash
# Installs a finished build into a scratch DESTDIR and runs the installed programs from there,
# with no PIVANE_HOME and no LD_LIBRARY_PATH: they must find libtolva.so and their program
# folder on their own. Also checks the desktop files where the validators are installed.
#   tests/package/install-test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: install-test.sh BUILD_DIR}" && pwd)
scratch=$(mktemp -d /tmp/pivane-install-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
dest=$scratch/root
prefix=/usr
fail() { echo "install-test: $*" >&2; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }
root=$dest$prefix

for f in bin/pivane bin/pivanectl lib/libtolva.so share/pivane/config.xml \
         share/pivane/db/lightlayer_v1.data share/pivane/Pivane.ico \
         share/pivane/language/1033.lan share/pivane/language/2052.lan \
         share/pivane/skins/theme1/main_bkg.png \
         share/applications/org.pivane.Pivane.desktop share/metainfo/org.pivane.Pivane.metainfo.xml \
         share/icons/hicolor/48x48/apps/org.pivane.Pivane.png \
         share/icons/hicolor/256x256/apps/org.pivane.Pivane.png \
         share/man/man1/pivane.1 share/man/man1/pivanectl.1 lib/udev/rules.d/70-pivane.rules; do
  [ -e "$root/$f" ] || fail "missing $prefix/$f"
done
[ -d "$root/share/pivane/firmware" ] || fail "missing $prefix/share/pivane/firmware/"
ls "$root"/share/pivane/layouts/*.xml >/dev/null 2>&1 || fail "no layout files installed"
# Nothing of the build tree's test leftovers or the desktop sources in the program folder.
[ ! -e "$root/share/pivane/desktop" ] && [ ! -e "$root/share/pivane/man" ] ||
  fail "desktop sources were copied into the program folder"

soname=$(objdump -p "$root/lib/libtolva.so" | awk '/SONAME/ {print $2}')
[ -n "$soname" ] && [ -e "$root/lib/$soname" ] || fail "libtolva.so has no SONAME file ($soname)"
for exe in pivane pivanectl; do
  rpath=$(objdump -p "$root/bin/$exe" | awk '/RUNPATH|RPATH/ {print $2}')
  [ "$rpath" = '$ORIGIN/../lib' ] || fail "$exe has RPATH '$rpath'"
done
# Every library the programs need is found, libtolva.so in the installed lib/.
ldd_out=$(env -u LD_LIBRARY_PATH ldd "$root/bin/pivane")
grep -q "not found" <<<"$ldd_out" && fail "pivane misses libraries: $ldd_out"
grep -q "libtolva.so.* => $root/bin/../lib/" <<<"$ldd_out" || fail "pivane does not take the installed libtolva: $ldd_out"

# The installed pivanectl, with the emulated mouse, from its own program folder.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
out=$(env -u LD_LIBRARY_PATH -u PIVANE_HOME "$root/bin/pivanectl" --simulated-mouse list 2>&1) ||
  fail "installed pivanectl --simulated-mouse list failed: $out"
grep -q "ORMAN-Q410.*online" <<<"$out" || fail "installed pivanectl sees no emulated mouse: $out"
rule=$(env -u LD_LIBRARY_PATH -u PIVANE_HOME "$root/bin/pivanectl" udev-rule)
[ "$rule" = "$(cat "$root/lib/udev/rules.d/70-pivane.rules")" ] ||
  fail "pivanectl udev-rule differs from the installed rule"
mkdir -p "$scratch/rules"
PIVANE_UDEV_RULES_DIR=$scratch/rules env -u LD_LIBRARY_PATH -u PIVANE_HOME "$root/bin/pivanectl" \
  udev-rule install >/dev/null || fail "pivanectl udev-rule install failed"
cmp -s "$scratch/rules/70-pivane.rules" "$root/lib/udev/rules.d/70-pivane.rules" ||
  fail "pivanectl udev-rule install wrote another rule"
env -u LD_LIBRARY_PATH -u PIVANE_HOME -u DISPLAY "$root/bin/pivane" --help >/dev/null ||
  fail "installed pivane --help failed"

# A permission problem on real hardware is explained, not shown as "no mouse" (exit 1).
fake=$scratch/fake
mkdir -p "$fake/sys/class/hidraw/hidraw0/device" "$fake/dev"
echo "HID_ID=0003:000025A7:0000FA07" >"$fake/sys/class/hidraw/hidraw0/device/uevent"
: >"$fake/dev/hidraw0"
chmod 000 "$fake/dev/hidraw0"
chmod -R a+rX "$scratch"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || fail "setpriv is needed to test as an unprivileged user"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  chmod 777 "$HOME" "$XDG_RUNTIME_DIR"
fi
set +e
msg=$(env -u LD_LIBRARY_PATH -u PIVANE_HOME PIVANE_SYSFS_ROOT="$fake/sys" PIVANE_DEV_ROOT="$fake/dev" \
      "${as_user[@]}" "$root/bin/pivanectl" list 2>&1)
status=$?
set -e
[ $status -eq 1 ] || fail "blocked device: exit $status, not 1: $msg"
grep -q "may not open it" <<<"$msg" && grep -q "udev-rule install" <<<"$msg" ||
  fail "blocked device: no explanation: $msg"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/share/applications/org.pivane.Pivane.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/share/metainfo/org.pivane.Pivane.metainfo.xml" >/dev/null ||
    fail "metainfo does not validate"
fi
echo "install-test: installed tree of $(du -sh "$dest" | cut -f1) checked"
