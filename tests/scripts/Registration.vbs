' A VBScript client of the HTML Help file list: registers a .chm, checks it, registers it
' again (the user is told it is not needed), unregisters it, and reads HHRegFileName,
' HHRegFilePath and HHRegFileExists on the way. Script variables go to the by-reference
' arguments directly. Exits with the number of failures.

Dim files
Set files = CreateObject("Scripting.FileSystemObject")

Const folder = "C:\Morvel Script Test\"
If Not files.FolderExists("C:\Morvel Script Test") Then files.CreateFolder "C:\Morvel Script Test"
files.CreateTextFile(folder & "Script.chm", True).Write "ITSF"

Dim o, file, result
Set o = CreateObject("Morvel10.clsKvHlpfHtmlA")

file = folder & "Script.chm"
o.HHRegister file
Check "variable after HHRegister", file, "Script.chm"
Check "HHRegFileName before a check", o.HHRegFileName, ""

file = "D:\Elsewhere\SCRIPT.CHM"
result = o.HHCheckRegistry(file)
Check "HHCheckRegistry result", result, False
Check "variable after HHCheckRegistry", file, "D:\Elsewhere\SCRIPT.CHM"
Check "HHRegFileName", o.HHRegFileName, "SCRIPT.CHM"
Check "HHRegFilePath", o.HHRegFilePath, folder
Check "HHRegFileExists", o.HHRegFileExists, True

file = "script.chm"
Check "EnsureFileExists", o.EnsureFileExists(file), True
Check "completed name", file, folder & "script.chm"

file = folder & "Script.chm"
o.HHRegister file
Check "already registered box", InStr(ReadLog("MORVEL_BOX_LOG"), "Corvane! Error | The file " & folder & _
      "Script.chm is already registered.  HHRegister will not be run as no action need be taken. | icon=asterisk") > 0, True

file = "Script.chm"
o.HHUnRegister file
Check "HHRegFileName after HHUnRegister", o.HHRegFileName, ""
Check "HHRegFilePath after HHUnRegister", o.HHRegFilePath, ""
Check "HHRegFileExists after HHUnRegister", o.HHRegFileExists, False
Check "HHCheckRegistry of an empty name", IsEmpty(o.HHCheckRegistry("")), True

files.DeleteFolder "C:\Morvel Script Test", True
Finish
