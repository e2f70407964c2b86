' Sample.vbs: Morvel10 from VBScript (late binding, objects by ProgID).
'
'   cscript //nologo Sample.vbs                   what the library says about this machine
'   cscript //nologo Sample.vbs C:\Help\My.chm    and then shows that help file's contents
'
' Run it with the script host of the registered library's width. On 64-bit Windows the
' default cscript is 64-bit (the x64 Morvel10.dll); C:\Windows\SysWOW64\cscript.exe is
' 32-bit (the x86 Morvel10.dll).
Option Explicit

' A WinHelp command of the library's WinHelpCmdHlpfConstants (scripts see no type library).
Const HELP_QUIT = 2

Dim help, winHelp, library, fileName, text

' The HTML Help class. Its properties keep what you assign; a new object starts empty.
Set help = CreateObject("Morvel10.clsKvHlpfHtmlA")
help.CHMFile = "Library.chm"
help.HHTopicURL = "intro.htm"
WScript.Echo "CHMFile: " & help.CHMFile & ", topic: " & help.HHTopicURL
WScript.Echo "Default text help file: " & help.HHSetHelpFile(2)
WScript.Echo "Windows version code: " & help.GetWindowsVersion()

' Is a help file in the HTML Help file list? The answer is left in three properties.
fileName = "Library.chm"
help.HHCheckRegistry fileName
If help.HHRegFileName = "" Then
    WScript.Echo fileName & " is not registered"
Else
    WScript.Echo fileName & " is registered in " & help.HHRegFilePath
End If

' The WinHelp class: close any WinHelp window this program opened (window 0: no owner).
Set winHelp = CreateObject("Morvel10.clsKvHlpfHlpA")
If winHelp.WinHelpHlpf(0, HELP_QUIT) <> 0 Then WScript.Echo "WinHelp quit: done"

' The library object. A run-time error of the library is an ordinary script error:
' this library holds no string resources, so the call below fails.
Set library = CreateObject("Morvel10.clsKvMorvel10A")
WScript.Echo "Library title: " & library.GetProStdProperties.Title
On Error Resume Next
text = library.GetProResStrings(1)
If Err.Number <> 0 Then WScript.Echo "GetProResStrings(1) failed: error " & Err.Number & ", " & Err.Description
On Error GoTo 0

' Showing a help file opens the help viewer: only when the command line names one.
If WScript.Arguments.Count > 0 Then
    help.CHMFile = WScript.Arguments(0)
    help.HHDisplayContents
    WScript.Echo "The help viewer shows " & help.CHMFile & ". Press Enter to close it."
    WScript.StdIn.ReadLine
    help.HHClose
End If
WScript.Echo "Done."
