#!/usr/bin/env bash
# Builds the drilling example's block, runs drilled_row.session on it and writes
#   OUT/stock.step    the 100 x 100 x 20 block in PART
#   OUT/drilled.step  the drawing after the session
#   OUT/part.stl      the drilled block
#   OUT/drilled.json  what the drawing holds afterwards (corvex inspect)
# then checks the block: four blind holes of radius 3 and depth 15 and one through hole.
# Usage: examples/drilled_row.sh OUT [CORVEX]   (CORVEX defaults to build/apps/corvex/corvex)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: $0 OUT_DIR [CORVEX]}"
corvex="${2:-$here/../build/apps/corvex/corvex}"
mkdir -p "$out"

"$corvex" stock -o "$out/stock.step" --group PART --box 0 0 0 100 100 20
"$corvex" run "$here/drilled_row.session" -d "$out/stock.step" -o "$out/drilled.step" --stl "$out/part.stl"
"$corvex" inspect "$out/drilled.step" > "$out/drilled.json"

python3 - "$out/drilled.json" <<'CHECK'
import json, math, sys
drawing = json.load(open(sys.argv[1]))
block = next(e for e in drawing["entities"] if "PART" in e["groups"])
expected = 200000 - 4 * math.pi * 9 * 15 - math.pi * 9 * 20
# Only the block and the tool and slot outline are left: every drill cylinder was absorbed.
ok = (abs(block["volume"] - expected) < 1e-6 and block["valid"] and block["lumps"] == 1
      and len(drawing["entities"]) == 3)
print(f"block volume {block['volume']:.6f} (expected {expected:.6f}), "
      f"{len(drawing['entities'])} entities")
sys.exit(0 if ok else 1)
CHECK
