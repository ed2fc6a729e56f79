%
(V-carving: three grooves engraved with a 90-degree pointed V-bit into the top of the 100 x 50 x 20)
(block, top at Z 20: two 1 deep, one 1.5 deep; each plunges, cuts level and lifts.)
(corvex gcode v_carving.nc -d STOCK --tools tools.tbl: tool 4 is the V-bit)
G21 G90 G17
T4 M6
G0 Z25
G0 X10 Y10
G1 Z19 F200
G1 X40 F600
G0 Z25
G0 X10 Y20
G1 Z19 F200
G1 X40 Y35 F600
G0 Z25
G0 X60 Y10
G1 Z18.5 F200
G1 Y40 F600
G0 Z25
M30
%
