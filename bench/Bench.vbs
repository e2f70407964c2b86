' Script-level timings against Scripting.Dictionary, the platform's own type-library
' dispatch object, in the same script. Prints table rows; run by tools/bench.sh.
Option Explicit
Dim o, d, x, i, n, t, lib, peer
Set o = CreateObject("Morvel10.clsKvHlpfHtmlA")
Set d = CreateObject("Scripting.Dictionary")

Function Best(kind, n)
    Dim round, t, i, x, s, best0
    best0 = 1E+300
    For round = 1 To 3
        t = Timer
        Select Case kind
        Case 1
            For i = 1 To n : x = o.HHTopicID : Next
        Case 2
            For i = 1 To n : x = d.Count : Next
        Case 3
            For i = 1 To n : Set s = CreateObject("Morvel10.clsKvHlpfHtmlA") : Set s = Nothing : Next
        Case 4
            For i = 1 To n : Set s = CreateObject("Scripting.Dictionary") : Set s = Nothing : Next
        End Select
        t = Timer - t
        If t < best0 Then best0 = t
    Next
    Best = best0 * 1E+6 / n
End Function

n = 100000
lib = Best(1, n) : peer = Best(2, n)
WScript.Echo "| VBScript x = o.HHTopicID | " & FormatNumber(lib, 2) & " us | x = d.Count on Scripting.Dictionary: " & FormatNumber(peer, 2) & " us | " & FormatNumber(lib / peer, 2) & "x |"
n = 5000
lib = Best(3, n) : peer = Best(4, n)
WScript.Echo "| VBScript CreateObject + release | " & FormatNumber(lib, 2) & " us | Scripting.Dictionary: " & FormatNumber(peer, 2) & " us | " & FormatNumber(lib / peer, 2) & "x |"
