#!/usr/bin/env bash
# What corvex gcode adds over replaying the calls it makes with corvex run: both machine the
# same program on the same stock, interleaved, and the medians of their wall times are printed.
# Two runs of one command differ by more than the front end costs (the kernel's threads), so
# the share of its own work that corvex gcode reports (reading and planning the program,
# measuring, checking rapids) is printed as well: that is the overhead proper.
# Usage: bench/gcode_overhead.sh [CORVEX] [RUNS] [PROGRAM...]   (CORVEX defaults to
# build/apps/corvex/corvex; the programs, of examples/gcode/, to pocket and pocket_varied)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
corvex="${1:-$here/../build/apps/corvex/corvex}"
runs="${2:-5}"
shift $(( $# < 2 ? $# : 2 ))
programs=("${@:-pocket}")
[[ $# -gt 0 ]] || programs=(pocket pocket_varied)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$corvex" stock -o "$work/stock.step" --group PART --box 0 0 -20 100 100 0

seconds() { local start end; start=$(date +%s.%N); "$@" > /dev/null 2> "$work/err"; end=$(date +%s.%N); awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'; }
# The front end's own share of the last corvex gcode run, in per cent, from its summary.
own() { sed -n 's/.* in \([0-9.]*\) s (\([0-9.]*\) s reading.*/\1 \2/p' "$work/err" | awk '{ print $2 * 100 / $1 }'; }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

printf '%-16s %10s %10s %9s %9s\n' program "gcode s" "run s" overhead "own work"
for program in "${programs[@]}"; do
    nc="$here/../examples/gcode/$program.nc"
    "$corvex" gcode "$nc" -d "$work/stock.step" --tool 6,30 --session "$work/$program.jsonl" > /dev/null 2>&1
    : > "$work/gcode.times"; : > "$work/run.times"; : > "$work/own.shares"
    for ((i = 0; i < runs; ++i)); do
        seconds "$corvex" gcode "$nc" -d "$work/stock.step" --tool 6,30 -o "$work/gcode.step" >> "$work/gcode.times"
        own >> "$work/own.shares"
        seconds "$corvex" run "$work/$program.jsonl" -d "$work/stock.step" -o "$work/run.step" >> "$work/run.times"
    done
    g=$(median < "$work/gcode.times"); r=$(median < "$work/run.times"); o=$(median < "$work/own.shares")
    printf '%-16s %10.3f %10.3f %8.1f%% %8.1f%%\n' "$program" "$g" "$r" "$(awk -v g="$g" -v r="$r" 'BEGIN { print (g - r) * 100 / r }')" "$o"
done
