Attribute VB_Name = "Morvel10Sample"
' Morvel10 from VBA (Office). Import this module with File > Import File... in the
' Visual Basic editor; VBA.md says how to reach the library (a reference or late binding)
' and which Morvel10.dll 32-bit and 64-bit Office need.
Option Explicit

' 1 after Tools > References > Morvel10.1.0 is ticked: early binding, with the library's
' classes, members and constants (HELP_QUIT, HH_1_3, ...) known to the editor.
' 0 without a reference: late binding through CreateObject.
#Const MORVEL10_REFERENCE = 0

#If MORVEL10_REFERENCE = 0 Then
Private Const HELP_QUIT As Long = 2
#End If

' The window that owns the help window. The library takes window handles as 32-bit
' Long values; 64-bit Windows keeps window handles within 32 bits, so CLng is safe.
#If VBA7 Then
Private Declare PtrSafe Function GetActiveWindow Lib "user32" () As LongPtr
#Else
Private Declare Function GetActiveWindow Lib "user32" () As Long
#End If

Private Function OwnerWindow() As Long
    OwnerWindow = CLng(GetActiveWindow())
End Function

Private Function NewHtmlHelp() As Object
#If MORVEL10_REFERENCE Then
    Set NewHtmlHelp = New Morvel10.clsKvHlpfHtmlA
#Else
    Set NewHtmlHelp = CreateObject("Morvel10.clsKvHlpfHtmlA")
#End If
End Function

' What the library says about this machine, in the Immediate window (Ctrl+G).
Public Sub ShowLibraryReport()
    Dim help As Object, library As Object, fileName As String
    Set help = NewHtmlHelp()
    Debug.Print "Windows version code: " & help.GetWindowsVersion()
    Debug.Print "Default text help file: " & help.HHSetHelpFile(2)

    fileName = "Library.chm"
    help.HHCheckRegistry fileName
    If help.HHRegFileName = "" Then
        Debug.Print fileName & " is not registered"
    Else
        Debug.Print fileName & " is registered in " & help.HHRegFilePath
    End If

    ' A run-time error of the library is an ordinary VBA error: this library holds no
    ' string resources, so the call below fails.
    Set library = CreateObject("Morvel10.clsKvMorvel10A")
    Debug.Print "Library title: " & library.GetProStdProperties.Title
    On Error Resume Next
    Debug.Print library.GetProResStrings(1)
    If Err.Number <> 0 Then Debug.Print "GetProResStrings(1) failed: error " & Err.Number & ", " & Err.Description
    On Error GoTo 0
End Sub

' Shows one topic of a compiled help file on top of the active window, e.g.
'   ShowHelpTopic "C:\Help\Library.chm", "intro.htm"
' A bare file name is found through the HTML Help file list or the library's folder.
' A missing file is told to the user in the library's own message box.
Public Sub ShowHelpTopic(ByVal chmFile As String, ByVal topic As String)
    Dim help As Object, owner As Long
    Set help = NewHtmlHelp()
    help.CHMFile = chmFile
    help.HHTopicURL = topic
    help.HHShowOnTop = True
    owner = OwnerWindow()
    help.HHDisplayTopicURL owner
End Sub

' Shows the topic of a context id, the way F1 help reaches its page: the ids come from the
' help project (helpbuild writes them as ContextIds.bas; import it beside this module).
' With the SDK's sample help built into the workbook's folder:
'   ShowHelpContext ThisWorkbook.Path & "\Sample.chm", IDH_options_dialog
Public Sub ShowHelpContext(ByVal chmFile As String, ByVal contextId As Long)
    Dim help As Object
    Set help = NewHtmlHelp()
    help.CHMFile = chmFile
    help.HHTopicID = contextId
    help.HHShowOnTop = True
    help.HHDisplayTopicID OwnerWindow()
End Sub

' Closes every help window this program opened, HTML Help and WinHelp.
Public Sub CloseHelp()
    Dim help As Object, winHelp As Object
    Set help = NewHtmlHelp()
    help.HHClose
    Set winHelp = CreateObject("Morvel10.clsKvHlpfHlpA")
    winHelp.WinHelpHlpf 0, HELP_QUIT
End Sub
