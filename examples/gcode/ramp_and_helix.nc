%
(Ramps and a helix: a 6 mm flat end mill ramps into the top of the 100 x 50 x 20 block, top at)
(Z 20, 4 deep over 40, runs back up another ramp, then spirals 3 down in one helical turn of)
(radius 8 about X 75 Y 25. Every move changes height: each is the cutter's exact sweep, the)
(helix in chords that stray at most the tolerance from it.)
(corvex gcode ramp_and_helix.nc -d STOCK --tools tools.tbl)
G21 G90 G17
T1 M6
G0 X15 Y15 Z25
G1 Z20 F300
G1 X55 Z16 F600
G1 X20 Y35 Z19
G0 Z25
G0 X83 Y25
G1 Z20 F300
G2 X83 Y25 Z17 I-8 J0 F600
G0 Z25
M30
%
