#!/usr/bin/env bash
# Builds the arc path example's block, runs arc_path.session on it and writes
#   OUT/stock.step    the 100 x 100 x 20 block in PART
#   OUT/groove.step   the drawing after the session
#   OUT/part.stl      the grooved block
#   OUT/groove.json   what the drawing holds afterwards (corvex inspect)
# then checks the block: a groove 8 wide and 8 deep along 30 + 20 of straight moves (the
# cutter's silhouette, tip corners rounded) and a quarter circle of mean radius 20 (the
# rectangular cross-section revolved by 90 x 0.01745 radians).
# Usage: examples/arc_path.sh OUT [CORVEX]   (CORVEX defaults to build/apps/corvex/corvex)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: $0 OUT_DIR [CORVEX]}"
corvex="${2:-$here/../build/apps/corvex/corvex}"
mkdir -p "$out"

"$corvex" stock -o "$out/stock.step" --group PART --box 0 0 0 100 100 20
"$corvex" run "$here/arc_path.session" -d "$out/stock.step" -o "$out/groove.step" --stl "$out/part.stl"
"$corvex" inspect "$out/groove.step" > "$out/groove.json"

python3 - "$out/groove.json" <<'CHECK'
import json, math, sys
drawing = json.load(open(sys.argv[1]))
block = next(e for e in drawing["entities"] if "PART" in e["groups"])
R, C, depth = 4, 1, 8
# A tip corner: the triangle of legs C less the segment of its bulge-0.5 arc.
theta = 4 * math.atan(0.5)
rho = C * math.sqrt(2) / (2 * math.sin(theta / 2))
corner = C * C / 2 - rho * rho / 2 * (theta - math.sin(theta))
silhouette = 2 * R * depth - 2 * corner
expected = 200000 - silhouette * (30 + 20) - 90 * 0.01745 * (2 * R * depth) * 20
ok = abs(block["volume"] - expected) < 0.01 and block["valid"] and block["lumps"] == 1
print(f"block volume {block['volume']:.4f} (expected {expected:.4f}), "
      f"lumps {block['lumps']}, valid {block['valid']}")
sys.exit(0 if ok else 1)
CHECK
