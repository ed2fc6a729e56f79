#!/usr/bin/env bash
# Programs of many tiny G1 steps (0.0004 mm, as a CAM program's rounding leaves them), cutting
# and in the air, straight on and along a gentle curve: corvex gcode's wall time for each count
# of steps, and what it takes per step. Straight steps lengthen one slot, so their time should
# not grow with the square of the steps; curved ones each stay a slot of their own.
# Usage: bench/tiny_moves.sh [CORVEX] [--smoke]   (CORVEX defaults to build/apps/corvex/corvex)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
corvex="${1:-$here/../build/apps/corvex/corvex}"
counts=(1000 2000 4000 20000)
[[ " $* " == *" --smoke "* ]] && counts=(500 1000)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# program KIND STEPS: straight or curved steps, at Z -1 (cut) or Z 5 (air).
program() {
    awk -v kind="$1" -v n="$2" -v z="$3" 'BEGIN {
        print "G21 G90 G17"; print "T1 M6"; print "G0 X60 Y50 Z5"; printf "G1 Z%g F100\n", z
        for (i = 1; i <= n; ++i) {
            if (kind == "straight") printf "G1 X%.4f\n", 60 + 0.0004 * i
            else { a = 0.00004 * i; printf "G1 X%.6f Y%.6f\n", 50 + 10 * cos(a), 50 + 10 * sin(a) }
        }
        print "M2" }'
}

printf '%-9s %-5s %7s %9s %12s\n' steps where steps seconds "ms a step"
for kind in straight curved; do
    for where in cut air; do
        z=-1; [[ $where == air ]] && z=5
        for n in "${counts[@]}"; do
            [[ $kind == curved && $n -gt 4000 ]] && continue  # each a slot of its own: minutes
            program "$kind" "$n" "$z" > "$work/p.nc"
            start=$(date +%s.%N)
            "$corvex" gcode "$work/p.nc" --box 0 0 -20 100 100 0 --tool 6,30 > /dev/null 2>&1
            end=$(date +%s.%N)
            awk -v k="$kind" -v w="$where" -v n="$n" -v a="$start" -v b="$end" \
                'BEGIN { printf "%-9s %-5s %7d %9.2f %12.3f\n", k, w, n, b - a, (b - a) * 1000 / n }'
        done
    done
done
