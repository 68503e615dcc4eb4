#!/bin/sh
# Peak memory and time of pivanectl on oversized inputs a person may be handed: a macro file of
# about 63 MB declared ISO-8859-1, and a key file (registry.ini) of 200 MB.
# Usage: bench/files/untrusted_sizes.sh BUILD_FOLDER     (needs /usr/bin/time)
set -eu
build=${1:?usage: $0 BUILD_FOLDER}
tool="$build/bin/pivanectl"
work=$(mktemp -d /tmp/pivane-sizes-XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/.config" XDG_RUNTIME_DIR="$work" PIVANE_HOME="$build/bin/"

measure() { # label, command...
    label=$1
    shift
    /usr/bin/time -f "%M %e" -o "$work/time" "$@" >/dev/null 2>&1 || true
    read -r kib seconds <<EOF2
$(tail -n 1 "$work/time")
EOF2
    printf '%-44s %6d MB peak  %5.2f s\n' "$label" $((kib / 1024)) "$seconds"
}

"$tool" profile list >/dev/null

# 63 MB: one macro whose name is 63 million e-acute bytes (each two bytes in UTF-8).
python3 - "$work/latin1.xml" <<'PY'
import sys
with open(sys.argv[1], "wb") as f:
    f.write(b'<?xml version="1.0" encoding="ISO-8859-1"?><macro><macroinfo name="')
    f.write(b"\xe9" * (63 * 1000 * 1000))
    f.write(b'" times="1" type="1"/><macroitems/></macro>')
PY
measure "macro import, 63 MB ISO-8859-1" "$tool" macro import "$work/latin1.xml"

# 200 MB key file: the two values, then comment lines.
mkdir -p "$XDG_CONFIG_HOME/ORMAN-QV7"
python3 - "$XDG_CONFIG_HOME/ORMAN-QV7/registry.ini" <<'PY'
import sys
with open(sys.argv[1], "wb") as f:
    f.write(b"[ORMAN-QV7]\nLCID=1033\nexit_mode=1\n")
    line = b";" * 1023 + b"\n"
    for _ in range(200 * 1024):
        f.write(line)
PY
measure "profile list, 200 MB key file" "$tool" profile list

# Just under the cap: the largest key file that is still read.
truncate -s $((16 * 1024 * 1024)) "$XDG_CONFIG_HOME/ORMAN-QV7/registry.ini"
measure "profile list, 16 MB key file (read)" "$tool" profile list

# 30 MB of Latin-1 letters: 60 MB as UTF-8, still under the cap, so it is imported.
python3 - "$work/latin1.xml" <<'PY'
import sys
with open(sys.argv[1], "wb") as f:
    f.write(b'<?xml version="1.0" encoding="ISO-8859-1"?><macro><macroinfo name="')
    f.write(b"\xe9" * (30 * 1000 * 1000))
    f.write(b'" times="1" type="1"/><macroitems/></macro>')
PY
measure "macro import, 30 MB ISO-8859-1 (imported)" "$tool" macro import "$work/latin1.xml"
