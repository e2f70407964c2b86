' A VBScript client: creates the HTML Help object and sets and reads back every readable
' property. Exits with the number of failures.

Dim o, other
Set o = CreateObject("Morvel10.clsKvHlpfHtmlA")
Set other = CreateObject("Morvel10.clsKvHlpfHtmlA")

Check "new HHWindow", o.HHWindow, ""
Check "new HHTopicURL", o.HHTopicURL, ""
Check "new HHMsgTitle", o.HHMsgTitle, ""
Check "new HHMsgText", o.HHMsgText, ""
Check "new HHKeyword", o.HHKeyword, ""
Check "new HHDefaultURL", o.HHDefaultURL, ""
Check "new HHALink", o.HHALink, ""
Check "new CHMFile", o.CHMFile, ""
Check "new HHRegFileName", o.HHRegFileName, ""
Check "new HHRegFilePath", o.HHRegFilePath, ""
Check "new HHTopicID", o.HHTopicID, CLng(0)
Check "new HHShowOnTop", o.HHShowOnTop, False
Check "new HHRegFileExists", o.HHRegFileExists, False
Check "new HHPopupCustomColors", o.HHPopupCustomColors, False
Check "new Hwnd", o.Hwnd, CLng(0)
Check "new frm", o.frm Is Nothing, True

o.HHWindow = "Main" : Check "HHWindow", o.HHWindow, "Main"
o.HHTopicURL = "html/intro.htm" : Check "HHTopicURL", o.HHTopicURL, "html/intro.htm"
o.HHMsgTitle = "Title" : Check "HHMsgTitle", o.HHMsgTitle, "Title"
o.HHMsgText = "Nothing found" : Check "HHMsgText", o.HHMsgText, "Nothing found"
o.HHKeyword = "alpha;beta" : Check "HHKeyword", o.HHKeyword, "alpha;beta"
o.HHDefaultURL = "html/default.htm" : Check "HHDefaultURL", o.HHDefaultURL, "html/default.htm"
o.HHALink = "LinkA" : Check "HHALink", o.HHALink, "LinkA"
o.CHMFile = "Library.chm" : Check "CHMFile", o.CHMFile, "Library.chm"
o.HHTopicID = 1234 : Check "HHTopicID", o.HHTopicID, CLng(1234)
o.HHShowOnTop = True : Check "HHShowOnTop", o.HHShowOnTop, True
o.HHPopupCustomColors = True : Check "HHPopupCustomColors", o.HHPopupCustomColors, True
o.Hwnd = 65538 : Check "Hwnd", o.Hwnd, CLng(65538)
o.lpPrevWndFunc = -5 : Check "lpPrevWndFunc", o.lpPrevWndFunc, CLng(-5)
Set o.frm = other : Check "frm", o.frm Is other, True

' The write-only popup settings accept their values.
o.HHPopupFile = "popups.txt" : o.HHPopupID = 3 : o.HHPopupText = "Hello" : o.HHPopupType = 4
o.HHPopupTextColor = &HFF : o.HHPopupBackColor = &HFFFFFF : o.HHPopupCustomTextColor = 1 : o.HHPopupCustomBackColor = 2
o.HHPopupTextFont = "Tahoma" : o.HHPopupTextSize = "12" : o.HHPopupTextBold = True : o.HHPopupTextItalic = False : o.HHPopupTextUnderline = True

' The other object kept its own values.
Check "other CHMFile", other.CHMFile, ""
Check "other HHTopicID", other.HHTopicID, CLng(0)

Finish
