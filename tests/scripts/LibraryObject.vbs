' A VBScript client of the library object: its application information, its resource
' errors, the object slot shared by two objects, and About through the companion stand-in,
' whose box the runner's watcher records and dismisses. Exits with the number of failures.

Dim lib, app, other, picture, text, dictionary
Set lib = CreateObject("Morvel10.clsKvMorvel10A")
Set app = lib.GetProStdProperties
Check "Title", app.Title, "Morvel10"
Check "EXEName", app.EXEName, "Morvel10"
Check "version", app.Major & "." & app.Minor & "." & app.Revision, "1.0.104"
Check "Major is an Integer", TypeName(app.Major), "Integer"
Check "ProductName", app.ProductName, "Morvel10"

On Error Resume Next
text = lib.GetProResStrings(1)
Check "GetProResStrings(1)", Err.Number, CLng(326)
Check "its description", Err.Description, "Resource with identifier not found"
Err.Clear
Set picture = lib.GetProResPicture(1, 70000)
Check "GetProResPicture(1, 70000)", Err.Number, CLng(6)
Err.Clear
Set picture = lib.GetProResPicture(1, 1)
Check "GetProResPicture(1, 1)", Err.Number, CLng(326)
Err.Clear
On Error GoTo 0

' The slot holds a script's own object; the script host's last CoUninitialize releases it.
Set dictionary = CreateObject("Scripting.Dictionary")
dictionary.Add "key", "value"
Check "slot empty at first", lib.BuddyObjectGlobal Is Nothing, True
Set lib.BuddyObjectGlobal = dictionary
Set other = CreateObject("Morvel10.clsKvMorvel10A")
Check "slot shared", other.BuddyObjectGlobal Is dictionary, True
Check "slot keeps the object", other.BuddyObjectGlobal.Item("key"), "value"

Check "About", lib.About, CLng(0)
Dim boxes, calls
boxes = ReadLog("MORVEL_BOX_LOG")
Check "About box recorded", InStr(boxes, "About Morvel10 | Morvel10\nVersion 1.0.104") > 0, True
Check "About box icon", InStr(boxes, "icon=asterisk | buttons=1 | pressed=1") > 0, True
calls = ReadLog("MORVEL_COMPANION_LOG")
Check "AppAboutKvor called", InStr(calls, "AppAboutKvor | 0009 {Title=""Morvel10"";Major=1;Minor=0;Revision=104}") > 0, True
If failures > 0 Then WScript.Echo "boxes: " & boxes & vbCrLf & "calls: " & calls

Finish
