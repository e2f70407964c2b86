' A VBScript client with names beyond the ANSI code page: a help file with a check mark in
' its name, in a folder of Cyrillic and CJK letters, is found under exactly its name and
' goes through the HTML Help file list and back. Exits with the number of failures.

' Text from code points with ChrW. Wine 8's VBScript leaves ChrW a stub that fails (error
' 445); there JScript's String.fromCharCode stands in, through the script control.
Function Letters(codes)
    Dim code, list
    On Error Resume Next
    For Each code In codes
        Letters = Letters & ChrW(code)
        list = list & "," & code
    Next
    If Err.Number = 0 Then Exit Function
    On Error GoTo 0
    Dim js : Set js = CreateObject("MSScriptControl.ScriptControl")
    js.Language = "JScript"
    Letters = js.Eval("String.fromCharCode(" & Mid(list, 2) & ")")
End Function

Dim files, base, folder, guide, path
Set files = CreateObject("Scripting.FileSystemObject")
base = files.GetSpecialFolder(2) & "\Morvel Script Names"
folder = base & "\" & Letters(Array(&H421, &H43F, &H440, &H430, &H432, &H43A, &H430, &H20, &H5E2E, &H52A9)) & "\"
guide = "Guide " & Letters(Array(&H2713)) & ".chm"
Check "letters", Len(folder) - Len(base) & " " & Len(guide), "12 11"
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
Finish
