' corvex.corvex4 from a late-bound script client, as a CNC simulator's script would use it.
' Run with cscript after corvex.dll is registered and while no CAD application is registered.
' cscript exits 0 even when a script breaks, so every check is counted and the last line
' must read "N passed, 0 failed" with the planned N.
Option Explicit

Dim passed, failed
passed = 0
failed = 0

Sub Check(condition, what)
    If condition Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAILED: " & what
    End If
End Sub

Function Near(a, b)
    Near = Abs(a - b) < 0.000000001
End Function

Dim server
Set server = CreateObject("corvex.corvex4")
Check IsObject(server), "CreateObject(""corvex.corvex4"") gives an object"

' Name: empty on a fresh instance, then what the client wrote.
Check server.Name = "", "a fresh instance's Name is empty"
server.Name = "lathe cell 2"
Check server.Name = "lathe cell 2", "Name reads back what was written"
server.Name = 42
Check server.Name = "42", "a number written to Name reads back as its text"

' distance: plain arithmetic, no CAD application needed.
Check Near(server.distance(0, 0, 3, 4), 5), "distance(0, 0, 3, 4) is 5"
Check Near(server.distance(1, 1, 1, 1), 0), "distance of a point to itself is 0"
Check Near(server.distance("3", 0, 0, "4"), 5), "distance takes numeric text"
Check VarType(server.distance(0, 0, 3, 4)) = vbDouble, "distance returns a Double"

' ProbeRadius: stores the radius and returns it; -1 asks without changing it.
Check Near(server.ProbeRadius(2.5), 2.5), "ProbeRadius(2.5) returns 2.5"
Check Near(server.ProbeRadius(-1), 2.5), "ProbeRadius(-1) returns the radius last given"

' subtract accepts Nothing before StartAcad.
On Error Resume Next
server.subtract Nothing
Check Err.Number = 0, "subtract Nothing succeeds: " & Err.Description
Err.Clear
On Error GoTo 0

' StartAcad with no CAD application registered: 0, after a message box that returns at once
' on a machine without a display.
Check server.StartAcad() = 0, "StartAcad returns 0 when no CAD application can be attached or started"
Check VarType(server.StartAcad()) = vbInteger, "StartAcad returns a 16-bit Integer"

' A member that needs the drawing fails, with the error information a script can read.
On Error Resume Next
server.MoveTool 1, 2, 3
Check Err.Number <> 0, "MoveTool before StartAcad fails"
Check Len(Err.Description) > 0, "the failure has a description"
Check Err.Source = "corvex.corvex4", "the failure's source is corvex.corvex4, got " & Err.Source
Err.Clear

server.ToolPolyCreate
Check Err.Number <> 0, "ToolPolyCreate before StartAcad fails"
Check InStr(Err.Description, "Object required") > 0, "ToolPolyCreate says an object was required: " & Err.Description
Err.Clear

' Conversions fail as type mismatches, arithmetic as overflow, argument counts as such.
server.distance "twelve", 0, 0, 0
Check Err.Number <> 0, "distance(""twelve"", ...) fails"
Check InStr(Err.Description, "Type mismatch") > 0, "non-numeric text is a type mismatch: " & Err.Description
Err.Clear

server.RotateAxis 40000, 10
Check Err.Number <> 0, "RotateAxis with an axis beyond 16 bits fails"
Check InStr(Err.Description, "Overflow") > 0, "an axis beyond 16 bits is an overflow: " & Err.Description
Err.Clear

server.distance 1, 2, 3
Check Err.Number <> 0, "distance with three arguments fails"
Err.Clear

server.NoSuchMember 1
Check Err.Number <> 0, "an unknown member fails"
Err.Clear
On Error GoTo 0

' The instance still works after failures: nothing is left half done in it.
Check Near(server.distance(0, 0, 6, 8), 10), "the instance answers after failed calls"

Set server = Nothing
WScript.Echo passed & " passed, " & failed & " failed"
