#!/usr/bin/env bash
# Turns a bar on the lathe with turning.session and writes, into the directory given:
#   OUT/bar.step      the stock: a cylinder of radius 20 and length 100 about the X axis, in PART
#   OUT/turned.step   the drawing after the session (the part, the insert, the hidden clip outlines)
#   OUT/turned.stl    the turned part
#   OUT/turned.json   what the drawing holds afterwards (corvex inspect)
# tests/lathe/turning_example_test.cpp runs this script and checks the part's volume against
# the volume each pass must remove.
# Usage: examples/turning.sh OUT [CORVEX]   (CORVEX defaults to $CORVEX, then build/apps/corvex/corvex)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: $0 OUT_DIR [CORVEX]}"
corvex="${2:-${CORVEX:-$here/../build/apps/corvex/corvex}}"
mkdir -p "$out"

"$corvex" stock -o "$out/bar.step" --group PART --cylinder 0 0 0 20 100 --axis x
"$corvex" run "$here/turning.session" -d "$out/bar.step" -o "$out/turned.step" --stl "$out/turned.stl"
"$corvex" inspect "$out/turned.step" > "$out/turned.json"
