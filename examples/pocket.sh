#!/usr/bin/env bash
# Builds the pocket example's block, runs pocket.session on it and writes
#   OUT/stock.step    the 100 x 100 x 20 block in PART
#   OUT/pocket.step   the drawing after the session
#   OUT/part.stl      the milled block
#   OUT/pocket.json   what the drawing holds afterwards (corvex inspect)
# then checks the block: the pocket, 60 x 50 with corners of radius 15 and 5 deep, is gone,
# and the block is still one valid solid.
# Usage: examples/pocket.sh OUT [CORVEX]   (CORVEX defaults to build/apps/corvex/corvex)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: $0 OUT_DIR [CORVEX]}"
corvex="${2:-$here/../build/apps/corvex/corvex}"
mkdir -p "$out"

"$corvex" stock -o "$out/stock.step" --group PART --box 0 0 0 100 100 20
"$corvex" run "$here/pocket.session" -d "$out/stock.step" -o "$out/pocket.step" --stl "$out/part.stl"
"$corvex" inspect "$out/pocket.step" > "$out/pocket.json"

python3 - "$out/pocket.json" <<'CHECK'
import json, math, sys
drawing = json.load(open(sys.argv[1]))
block = next(e for e in drawing["entities"] if "PART" in e["groups"])
# The cuts overlap, but their union is the rounded rectangle the cutter's edge reaches.
pocket = (60 * 50 - 4 * (15 * 15 - math.pi * 15 * 15 / 4)) * 5
expected = 200000 - pocket
ok = abs(block["volume"] - expected) < 1e-3 and block["valid"] and block["lumps"] == 1
print(f"block volume {block['volume']:.4f} (expected {expected:.4f}), "
      f"lumps {block['lumps']}, valid {block['valid']}")
sys.exit(0 if ok else 1)
CHECK
