# The volume the profile job removes, without the geometry kernel: each of its two loops (the
# wavy outline, the boss) is cut in twelve 0.5 mm layers, and a layer takes the band a disc of
# radius 3 sweeps along the closed chord polygon. The loops bend nowhere tighter than the disc,
# so the band's area is Steiner's: 2 r L, plus at each corner the sector outside, less the kite
# where the two sides' strips overlap inside. The ramped entries lie within their layers' bands.
# Usage: profile_band.py PROFILE.nc
import math, re, sys
lines = open(sys.argv[1]).read().split('\n')
r = 3.0
def loop_from(start):
    m = re.match(r'G0 X(\S+) Y(\S+)', lines[start]); p0 = (float(m.group(1)), float(m.group(2)))
    pts = [p0]
    for l in lines[start+1:]:
        m = re.match(r'G1 X(\S+) Y(\S+)', l)
        if not m: continue
        p = (float(m.group(1)), float(m.group(2)))
        if p == p0: break
        pts.append(p)
    return pts
def band(pts):
    n = len(pts); L = 0; extra = 0
    for i in range(n):
        a, b, c = pts[i-1], pts[i], pts[(i+1) % n]
        L += math.dist(b, c)
        t = abs(math.atan2((b[0]-a[0])*(c[1]-b[1]) - (b[1]-a[1])*(c[0]-b[0]), (b[0]-a[0])*(c[0]-b[0]) + (b[1]-a[1])*(c[1]-b[1])))
        extra += r*r*t/2 - r*r*math.tan(t/2)
    return 2*r*L + extra
# Each layer begins with a rapid to its loop's start: the outline's twelve layers, then the boss's.
starts = [i for i, l in enumerate(lines) if l.startswith('G0 X')]
outline, boss = band(loop_from(starts[0])), band(loop_from(starts[12]))
print("outline band %.6f  boss band %.6f  removed %.6f" % (outline, boss, 6 * (outline + boss)))
