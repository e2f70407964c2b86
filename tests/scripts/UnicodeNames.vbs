' A VBScript client with names beyond the ANSI code page: a help file with a check mark in
' its name, in a folder of Cyrillic and CJK letters, is found under exactly its name and
' goes through the HTML Help file list and back. Exits with the number of failures.
Option Explicit
Dim failures : failures = 0

Sub Check(name, actual, expected)
    If actual <> expected Or VarType(actual) <> VarType(expected) Then
        WScript.Echo "FAIL " & name & ": got [" & actual & "] (" & TypeName(actual) & "), expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub

Dim files, base, folder, guide, path
Set files = CreateObject("Scripting.FileSystemObject")
base = files.GetSpecialFolder(2) & "\Morvel Script Names"
folder = base & "\" & ChrW(&H421) & ChrW(&H43F) & ChrW(&H440) & ChrW(&H430) & ChrW(&H432) & ChrW(&H43A) & _
         ChrW(&H430) & " " & ChrW(&H5E2E) & ChrW(&H52A9) & "\"
guide = "Guide " & ChrW(&H2713) & ".chm"
path = folder & guide
If Not files.FolderExists(base) Then files.CreateFolder base
If Not files.FolderExists(folder) Then files.CreateFolder folder
files.CreateTextFile(path, True).Write "ITSF"

Dim o, file
Set o = CreateObject("Morvel10.clsKvHlpfHtmlA")

file = path
Check "EnsureFileExists", o.EnsureFileExists(file), True
Check "variable after EnsureFileExists", file, path

o.HHRegister file
Check "variable after HHRegister", file, guide
o.HHCheckRegistry file
Check "HHRegFileName", o.HHRegFileName, guide
Check "HHRegFilePath", o.HHRegFilePath, folder
Check "HHRegFileExists", o.HHRegFileExists, True

o.HHUnRegister file
o.HHCheckRegistry file
Check "HHRegFileName after HHUnRegister", o.HHRegFileName, ""

files.DeleteFolder base, True
If failures = 0 Then WScript.Echo "UnicodeNames.vbs: every check passed"
WScript.Quit failures
