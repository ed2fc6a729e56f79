#!/usr/bin/env bash
# Builds the probe example's drawing, runs probe_touch_off.session on it and writes
#   OUT/stock.step    the drawing before: part, probe shank and tip somewhere off to the side
#   OUT/probed.step   the drawing after the session
#   OUT/part.stl      the part (untouched: probing cuts nothing)
#   OUT/probed.json   what the drawing holds afterwards (corvex inspect)
# then checks where the probe and the tool ended up.
# Usage: examples/probe_touch_off.sh OUT [CORVEX]   (CORVEX defaults to build/apps/corvex/corvex)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: $0 OUT_DIR [CORVEX]}"
corvex="${2:-$here/../build/apps/corvex/corvex}"
mkdir -p "$out"
stock="$out/stock.step"

# Member 0 of PROBESOLID: the shank, a cylinder standing on the tip.
"$corvex" stock -o "$stock" --group PROBESOLID --cylinder 110 -30 57 1.5 30 --axis z
# Member 1: the tip, centred on (110, -30, 55).
"$corvex" stock -d "$stock" -o "$stock" --group PROBESOLID --box 108 -32 53 112 -28 57
# The part, 60 x 40 x 20.
"$corvex" stock -d "$stock" -o "$stock" --group PART --box 0 0 0 60 40 20

"$corvex" run "$here/probe_touch_off.session" -d "$stock" -o "$out/probed.step" --stl "$out/part.stl"
"$corvex" inspect "$out/probed.step" > "$out/probed.json"

python3 - "$out/probed.json" <<'CHECK'
import json, sys
solids = [e for e in json.load(open(sys.argv[1]))["entities"] if e["kind"] == "Solid3D"]
def solid(volume):  # each solid of this example has a volume of its own
    return min(solids, key=lambda e: abs(e["volume"] - volume))
expected = {
    "tip": (64, [60, 40, 22]),            # zeroed, then moved to (60, 40, 22)
    "shank": (212.0575, [60, 40, 39]),    # 17 above the tip, as in the stock
    "part": (48000, [30, 20, 10]),        # probing cuts nothing
    "tool": (6.2832, [-90, -100, 0]),     # StartAcad's tool at (-100, -100, 0), moved 10 in X
}
ok = True
for name, (volume, centroid) in expected.items():
    got = solid(volume)
    close = abs(got["volume"] - volume) < 1e-3 and \
        all(abs(a - b) < 1e-6 for a, b in zip(got["centroid"], centroid))
    print(f"{name}: volume {got['volume']:.4f}, centroid {[round(c, 6) for c in got['centroid']]}")
    ok = ok and close
sys.exit(0 if ok else 1)
CHECK
