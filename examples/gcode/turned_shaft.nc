%
(Turned shaft: the bar of radius 10 along Z from 0 to 50, turned down to diameter 14 from its end)
(back to Z 20 in two passes of a round insert 2 mm across, whose centre is the programmed point.)
(corvex gcode turned_shaft.nc --lathe --cylinder 0 0 0 10 50 --axis x --tool 2,10)
G18 G7 G21 G90
T1 M6
G0 X24 Z52
G1 X18 F0.2
G1 Z20
G1 Z52
G0 X22
G1 X16
G1 Z20
G1 Z52
G0 X24
M30
%
