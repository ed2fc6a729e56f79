%
(Stepped slots: a 100 x 50 x 20 block, top at Z 20, and a 6 mm end mill. A subroutine cuts a)
(slot 40 long along X in levels of 1 mm, the last level whatever remains of its depth; it is)
(called for a slot 3 deep at Y 15 and one 2.5 deep at Y 35.)
G21 G90 G17 G54
T1 M6
G0 X0 Y0 Z30
#<_top> = 20
#<_step> = 1

o<slot> sub                   (#1 X of its start, #2 Y, #3 length, #4 depth)
  #<z> = 0
  o200 do
    #<z> = [#<z> + #<_step>]
    o201 if [#<z> GT #4]
      #<z> = #4
    o201 endif
    G0 X#1 Y#2
    G0 Z[#<_top> + 1]
    G1 Z[#<_top> - #<z>] F100
    G1 X[#1 + #3]
    G0 Z[#<_top> + 1]
  o200 while [#<z> LT #4]
o<slot> endsub

o<slot> call [30] [15] [40] [3]
o<slot> call [30] [35] [40] [2.5]
G0 Z30
M30
%
