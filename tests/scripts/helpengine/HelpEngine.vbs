' A VBScript client of the display commands and popups, run with the recording engine in
' the system folder (with-recorder.sh): a script passes its window handle in a variable,
' and the engine must see it. The recorder writes to MORVEL_HHLOG, which the test sets
' (Wine's script host cannot set a variable).
Dim fso, env, logPath, chm
Set fso = CreateObject("Scripting.FileSystemObject")
Set env = CreateObject("WScript.Shell").Environment("PROCESS")
logPath = env("MORVEL_HHLOG")
chm = "Z:" & Replace(env("MORVEL_BUILD"), "/", "\") & "\help\Demo.chm"

Function Quoted(text)
    Quoted = """" & Replace(text, "\", "\\") & """"
End Function

' The lines the engine has received since the last look.
Function Taken()
    Taken = ReadLog("MORVEL_HHLOG")
    If fso.FileExists(logPath) Then fso.DeleteFile logPath
End Function

If fso.FileExists(logPath) Then fso.DeleteFile logPath
Dim o, hwnd
Set o = CreateObject("Morvel10.clsKvHlpfHtmlA")
o.CHMFile = chm
o.HHShowOnTop = True
o.HHWindow = "Main"
o.HHTopicURL = "intro.htm"
hwnd = 4660

o.HHDisplayTopicURL hwnd
o.HHTopicID = 1001
o.HHDisplayTopicID(hwnd)
Check "topics", Taken(), _
    "owner=0x00001234 file=" & Quoted(chm & ">Main") & " command=0x0000 data=""intro.htm""" & vbLf & _
    "owner=0x00001234 file=" & Quoted(chm & ">Main") & " command=0x000F data=1001" & vbLf
Check "the variable is only read", hwnd, 4660

o.HHClose
Check "close", Taken(), "owner=0x00000000 file=" & Quoted(chm) & " command=0x0012 data=0" & vbLf
Check "default help file", o.HHSetHelpFile(2), "Library.txt"

o.HHPopupType = 4
o.HHPopupText = "Hello from VBScript"
o.HHPopupTextColor = &HFF
o.HHPopupTextItalic = True
o.HHDisplayPopup hwnd
Dim line : line = Taken()
' The engine of a 64-bit host reads the wider record.
Dim popupBytes : popupBytes = 52
If env("PROCESSOR_ARCHITECTURE") = "AMD64" Then popupBytes = 72
Check "popup head", Left(line, InStr(line, " pt=") - 1), _
    "owner=0x00001234 file=null command=0x000E data=popup{cbStruct=" & popupBytes & " hinst=0x00000000 idString=0 pszText=""Hello from VBScript"""
Check "popup tail", Mid(line, InStr(line, " clrForeground")), _
    " clrForeground=0x000000FF clrBackground=0x00000000 rcMargins=(-1,-1,-1,-1) pszFont=""Arial, 10, ascii, Italic ""}" & vbLf

' Our resources hold no strings: the runtime's resource-not-found error.
o.HHPopupType = 2
On Error Resume Next
o.HHDisplayPopup hwnd
Check "resource popup error", Err.Number, CLng(326)
On Error GoTo 0

Finish
