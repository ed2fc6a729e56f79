%
(Hole grid: a 100 x 50 x 20 block, top at Z 20. Eight holes with a 6 mm drill in two rows of)
(four, 20 mm apart from X 20: a subroutine drills one hole, given its X, Y and depth; loops)
(walk the rows and columns. Row one is 4 deep, row two 8.)
G21 G90 G17 G54
T2 M6
G0 X0 Y0 Z30
#<_top> = 20                  (global: the subroutine reads it)

o<hole> sub                   (#1 X, #2 Y, #3 depth below the top)
  G0 X#1 Y#2
  G0 Z[#<_top> + 2]
  G1 Z[#<_top> - #3] F120
  G0 Z[#<_top> + 2]
o<hole> endsub

#<row> = 0
o100 while [#<row> LT 2]
  #<column> = 0
  o101 repeat [4]
    o<hole> call [20 + #<column> * 20] [15 + #<row> * 20] [4 + #<row> * 4]
    #<column> = [#<column> + 1]
  o101 endrepeat
  #<row> = [#<row> + 1]
o100 endwhile
G0 Z30
M30
%
