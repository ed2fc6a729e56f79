#!/usr/bin/env bash
# Builds the rotary example's drawing, runs rotary_index_slots.session on it and writes
#   OUT/stock.step     the block, in the groups PART and ROTARYA
#   OUT/indexed.step   the drawing after the three cuts
#   OUT/part.stl       the cut block
#   OUT/indexed.json   what the drawing holds afterwards (corvex inspect)
# then checks the block: three slots of (24 x 4 + pi x 2^2) x 1 each taken out of 16000.
# Usage: examples/rotary_index_slots.sh OUT [CORVEX]   (CORVEX defaults to build/apps/corvex/corvex)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: $0 OUT_DIR [CORVEX]}"
corvex="${2:-$here/../build/apps/corvex/corvex}"
mkdir -p "$out"

"$corvex" stock -o "$out/stock.step" --group PART --group ROTARYA --box -20 -10 -10 20 10 10
"$corvex" run "$here/rotary_index_slots.session" -d "$out/stock.step" -o "$out/indexed.step" \
    --stl "$out/part.stl"
"$corvex" inspect "$out/indexed.step" > "$out/indexed.json"

python3 - "$out/indexed.json" <<'CHECK'
import json, math, sys
drawing = json.load(open(sys.argv[1]))
block = max((e for e in drawing["entities"] if e["kind"] == "Solid3D"), key=lambda e: e["volume"])
expected = 16000 - 3 * (24 * 4 + math.pi * 4)
# Two quarter turns by the table's degree factor (not exactly pi/180) leave the block
# within 1e-5 of where it started, turned half round.
ok = abs(block["volume"] - expected) < 1e-3 and block["valid"] and block["lumps"] == 1
for got, want in zip(block["bbox"], [-20, -10, -10, 20, 10, 10]):
    ok = ok and abs(got - want) < 1e-4
print(f"block volume {block['volume']:.4f} (expected {expected:.4f}), bbox {block['bbox']}")
sys.exit(0 if ok else 1)
CHECK
