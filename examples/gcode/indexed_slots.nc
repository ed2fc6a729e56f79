%
(Indexed part: a 40 x 20 x 20 block on the A axis, top at Z 10; the same slot, 20 long,)
(4 wide and 1 deep, cut across the face on top at A 0, 90 and 180.)
G21 G90 G17
T1 M6 (4 mm flat end mill)
G0 X-10 Y0 Z12
G1 Z9 F200
G1 X10 F600
G0 Z12
A90
G0 X-10
G1 Z9
G1 X10
G0 Z12
A180
G0 X-10
G1 Z9
G1 X10
G0 Z12
A0
M30
%
