%
(Rounded contour: a 6 mm end mill follows a 40 x 20 rectangle with 5 mm corner radii,)
(2 mm deep into the top of a 100 x 50 x 20 block: lines joined by G2 arcs, one turn.)
G21 G90 G17
T1 M6
G0 X35 Y15 Z25
G1 Z18 F100
G1 X65 F500
G3 X70 Y20 I0 J5
G1 Y30
G3 X65 Y35 I-5 J0
G1 X35
G3 X30 Y30 I0 J-5
G1 Y20
G3 X35 Y15 I5 J0
G0 Z25
M30
%
