%
(Drilled plate: a 100 x 50 x 20 block, top at Z 20. Twelve holes with a 6 mm drill:)
(a row of six drilled straight to Z 10 with G81, returning to R; then a row of six drilled)
(in 2.5 mm pecks to Z 5 with G83, returning to the start plane.)
G21 G90 G17 G54
T2 M6
G0 X0 Y0 Z30
G0 X10 Y15
G99 G81 X10 Y15 Z10 R22 F150
X25
X40
X55
X70
X85
G98 G83 X10 Y35 Z5 R22 Q2.5
X25
X40
X55
X70
X85
G80
G0 Z30
M30
%
