#!/usr/bin/env bash
# The reference G-code jobs (examples/gcode: pocket, varied pocket, terrain, profile) machined
# by corvex gcode on their stock, the 100 x 100 x 20 box with its top at Z 0 and a 6 mm end
# mill: the wall time of each, and the volume it removed against the one worked out without the
# geometry kernel (exact for the pockets: the 80 x 80 square less the cutter's corners, 10 deep;
# for the terrain, the exact 2-D areas of its cuts, which height maps converge on; for the
# profile, whose ramped entries its loops cut deeper, twelve half-millimetre layers of the bands
# its two loops sweep, in closed form by bench/profile_band.py). Exits 1 when a volume is off.
# Usage: bench/gcode_jobs.sh [CORVEX] [--smoke]   (--smoke: the varied pocket only)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
corvex="$here/../build/apps/corvex/corvex"
jobs=(pocket pocket_varied terrain profile)
for argument in "$@"; do
    case "$argument" in
        --smoke) jobs=(pocket_varied) ;;
        --*) ;;  # other benches' options are not ours
        *) corvex="$argument" ;;
    esac
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
pocket=$(awk 'BEGIN { printf "%.6f", (6400 - 4 * (9 - 9 * atan2(0, -1) / 4)) * 10 }')
profile=""  # worked out only when the profile job runs
[[ " ${jobs[*]} " == *" profile "* ]] &&
    profile=$(python3 "$here/profile_band.py" "$here/../examples/gcode/profile.nc" | sed 's/.*removed //')
declare -A expected=([pocket]=$pocket [pocket_varied]=$pocket [terrain]=55875.376087 [profile]=$profile)
declare -A tolerance=([pocket]=0.001 [pocket_varied]=0.001 [terrain]=0.01 [profile]=0.001)
status=0
printf '%-16s %10s %16s %16s\n' job "wall s" "removed mm3" "expected mm3"
for job in "${jobs[@]}"; do
    start=$(date +%s.%N)
    "$corvex" gcode "$here/../examples/gcode/$job.nc" --box 0 0 -20 100 100 0 --tool 6,30 \
        -o "$work/$job.step" > /dev/null 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s.%N)
    removed=$(sed -n 's/.*, removed \([0-9.]*\) mm3.*/\1/p' "$work/err")
    verdict=$(awk -v r="$removed" -v e="${expected[$job]}" -v t="${tolerance[$job]}" \
        'BEGIN { d = r - e; if (d < 0) d = -d; print (r != "" && d <= t) ? "" : "  VOLUME OFF" }')
    [[ -n $verdict ]] && status=1
    printf '%-16s %10.2f %16s %16s%s\n' "$job" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" \
        "$removed" "${expected[$job]}" "$verdict"
done
exit $status
