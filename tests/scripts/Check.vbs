' What every VBScript client of the tests shares; tests/run-script.sh runs each one with this
' in front. A script makes its checks and ends with Finish, which prints the closing line
' the test waits for only when every check passed (Wine's cscript exits with 0 even after a
' script error) and exits with the number of failures.
Option Explicit
Dim failures : failures = 0

Sub Check(name, actual, expected)
    If actual <> expected Or VarType(actual) <> VarType(expected) Then
        WScript.Echo "FAIL " & name & ":" & vbLf & "  got      [" & actual & "] (" & TypeName(actual) & ")" & _
                     vbLf & "  expected [" & expected & "] (" & TypeName(expected) & ")"
        failures = failures + 1
    End If
End Sub

' The whole of a log the runner or the test named in the environment ("" while there is none).
Function ReadLog(variable)
    Dim path, files
    ReadLog = ""
    path = CreateObject("WScript.Shell").Environment("PROCESS")(variable)
    Set files = CreateObject("Scripting.FileSystemObject")
    If path = "" Then Exit Function
    If Not files.FileExists(path) Then Exit Function
    With files.OpenTextFile(path, 1)
        If Not .AtEndOfStream Then ReadLog = .ReadAll
        .Close
    End With
End Function

Sub Finish()
    If failures = 0 Then WScript.Echo WScript.ScriptName & ": every check passed"
    WScript.Quit failures
End Sub
