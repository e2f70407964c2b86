' A VBScript client of the WinHelp class with the platform's own WinHelpA: a fresh object
' quits help (nothing open, so the platform answers success), variables work as the
' by-reference arguments, and data that cannot convert is reported through the companion
' stand-in (its box recorded and dismissed by the runner's watcher) with a result of 0.
Const HELP_QUIT = 2

Dim help, window, command
Set help = CreateObject("Morvel10.clsKvHlpfHlpA")
Check "fresh FileName", help.FileName, ""
Check "fresh AnyData", IsEmpty(help.AnyData), True

Check "HELP_QUIT", help.WinHelpHlpf(0, HELP_QUIT) <> 0, True
window = 0 : command = HELP_QUIT
Check "HELP_QUIT with variables", help.WinHelpHlpf(window, command) <> 0, True
Check "variables unchanged", window & "," & command, "0,2"

help.AnyData = 42
Check "AnyData", help.AnyData, 42
help.AnyData = Null
Check "Null data", help.WinHelpHlpf(0, HELP_QUIT), CLng(0)
Dim boxes, calls
calls = ReadLog("MORVEL_COMPANION_LOG")
Check "reported", InStr(calls, "ErrorHandlerMessageKv | 4009 {Title=""Morvel10""") > 0, True
Check "with the source", InStr(calls, "| 4008 ""czHlpfHLP.WinHelpHlpf"" |") > 0, True
Check "and the error", InStr(calls, "{Number=94;Source=""Morvel10"";Description=""Invalid use of Null""") > 0, True
boxes = ReadLog("MORVEL_BOX_LOG")
Check "report shown", InStr(boxes, "Morvel10 | Error 94: Invalid use of Null\n\nSource: czHlpfHLP.WinHelpHlpf | icon=hand") > 0, True
If failures > 0 Then WScript.Echo "boxes: " & boxes & vbCrLf & "calls: " & calls

Finish
