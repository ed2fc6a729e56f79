#!/usr/bin/env bash
# What writing the part costs, measured side by side in one run: the job machined with no
# output, with -o PART.step, -o PART.cvx, --stl and --glb (each written, read back and checked); then
# the written part alone: the drawing read and written again as STEP and as .cvx by corvex run
# with no calls, and each file read (corvex inspect, which also measures every solid).
# Usage: bench/drawing_output.sh [CORVEX] [--smoke]   (the terrain job; --smoke: the pocket)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
corvex="$here/../build/apps/corvex/corvex"
job=terrain
for argument in "$@"; do
    case "$argument" in
        --smoke) job=pocket ;;
        --*) ;;  # other benches' options are not ours
        *) corvex="$argument" ;;
    esac
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}
machine() { "$corvex" gcode "$here/../examples/gcode/$job.nc" --box 0 0 -20 100 100 0 --tool 6,30 "$@"; }
none=$(seconds machine)
step=$(seconds machine -o "$work/part.step")
native=$(seconds machine -o "$work/part.cvx")
stl=$(seconds machine --stl "$work/part.stl")
glb=$(seconds machine --glb "$work/part.glb")
echo '["StartAcad"]' > "$work/nothing.jsonl"
printf '%-34s %8s %8s\n' "$job" "wall s" "x none"
printf '%-34s %8s\n' "machined, no output" "$none"
printf '%-34s %8s %8.2f\n' "machined, -o part.step" "$step" "$(awk -v a="$step" -v b="$none" 'BEGIN { print a / b }')"
printf '%-34s %8s %8.2f\n' "machined, -o part.cvx" "$native" "$(awk -v a="$native" -v b="$none" 'BEGIN { print a / b }')"
printf '%-34s %8s %8.2f\n' "machined, --stl part.stl" "$stl" "$(awk -v a="$stl" -v b="$none" 'BEGIN { print a / b }')"
printf '%-34s %8s %8.2f\n' "machined, --glb part.glb" "$glb" "$(awk -v a="$glb" -v b="$none" 'BEGIN { print a / b }')"
printf '%-34s %8s\n' "part.cvx read, written as STEP" "$(seconds "$corvex" run "$work/nothing.jsonl" -d "$work/part.cvx" -o "$work/again.step")"
printf '%-34s %8s\n' "part.cvx read, written as .cvx" "$(seconds "$corvex" run "$work/nothing.jsonl" -d "$work/part.cvx" -o "$work/again.cvx")"
printf '%-34s %8s\n' "part.step read and measured" "$(seconds "$corvex" inspect "$work/part.step")"
printf '%-34s %8s\n' "part.cvx read and measured" "$(seconds "$corvex" inspect "$work/part.cvx")"
printf '%-34s %8s %8s\n' "sizes (MB): STEP, .cvx" "$(du -m "$work/part.step" | cut -f1)" "$(du -m "$work/part.cvx" | cut -f1)"
