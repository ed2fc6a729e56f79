%
(3-D finishing pass: a 6 mm ball-nose cutter follows a wavy surface across the top of a 100 x 50 x 20)
(block, top at Z 20, in three rows along X, zig-zag. It enters and leaves each row beside the block.)
(corvex gcode ball_finish.nc -d STOCK --tools tools.json: tool 3 is the ball-nose cutter)
G21 G90 G17
T3 M6
G0 Z25
G0 X-5 Y10
G0 Z18.6
G1 X5 Z18.2 F800
G1 X15 Z17.9
G1 X25 Z18.0
G1 X35 Z18.4
G1 X45 Z18.8
G1 X55 Z19.0
G1 X65 Z18.7
G1 X75 Z18.3
G1 X85 Z18.0
G1 X95 Z17.8
G1 X105 Z18.1
G0 Z25
G0 X105 Y25
G0 Z18.1
G1 X95 Z17.8 F800
G1 X85 Z18.0
G1 X75 Z18.3
G1 X65 Z18.7
G1 X55 Z19.0
G1 X45 Z18.8
G1 X35 Z18.4
G1 X25 Z18.0
G1 X15 Z17.9
G1 X5 Z18.2
G1 X-5 Z18.6
G0 Z25
G0 X-5 Y40
G0 Z18.6
G1 X5 Z18.2 F800
G1 X15 Z17.9
G1 X25 Z18.0
G1 X35 Z18.4
G1 X45 Z18.8
G1 X55 Z19.0
G1 X65 Z18.7
G1 X75 Z18.3
G1 X85 Z18.0
G1 X95 Z17.8
G1 X105 Z18.1
G0 Z25
M30
%
