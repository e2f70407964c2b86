' ContextHelp.vbs: help by context id from a script, as an application's F1 would ask
' for it. The ids come from the help project (helpbuild writes them as ContextIds.h and
' ContextIds.bas; a script declares the ones it uses as constants). Run it with
'   cscript ContextHelp.vbs
' beside the sample help help\Sample.chm, built from help\Sample.helpproject.
Option Explicit

Const IDH_start = 1001
Const IDH_options_dialog = 1002

Dim folder, help
folder = CreateObject("Scripting.FileSystemObject").GetParentFolderName(WScript.ScriptFullName)
Set help = CreateObject("Morvel10.clsKvHlpfHtmlA")
help.CHMFile = folder & "\help\Sample.chm"

' A script has no window of its own to pass: 0 lets the help window stand alone.
help.HHTopicID = IDH_options_dialog
help.HHDisplayTopicID 0
WScript.Echo "HHDisplayTopicID(IDH_options_dialog): the Options page is shown"

' The help window belongs to the script host's process and closes when the script ends:
' a script that shows help for the user to read waits for the user first (MsgBox).
help.HHClose
WScript.Echo "Done."
