// A JScript client: creates the HTML Help object and sets and reads back every readable
// property. Exits with the number of failures.

var o = new ActiveXObject("Morvel10.clsKvHlpfHtmlA");
var other = new ActiveXObject("Morvel10.clsKvHlpfHtmlA");

var texts = ["HHWindow", "HHTopicURL", "HHMsgTitle", "HHMsgText", "HHKeyword", "HHDefaultURL", "HHALink", "CHMFile"];
for (var i = 0; i < texts.length; i++) {
    check("new " + texts[i], o[texts[i]], "");
    o[texts[i]] = texts[i] + " value \u00e9";
    check(texts[i], o[texts[i]], texts[i] + " value \u00e9");
}
check("new HHRegFileName", o.HHRegFileName, "");
check("new HHRegFilePath", o.HHRegFilePath, "");
check("new HHRegFileExists", o.HHRegFileExists, false);
check("new HHTopicID", o.HHTopicID, 0);
check("new HHShowOnTop", o.HHShowOnTop, false);
check("new frm", o.frm, null);

o.HHTopicID = -7; check("HHTopicID", o.HHTopicID, -7);
o.HHShowOnTop = true; check("HHShowOnTop", o.HHShowOnTop, true);
o.HHPopupCustomColors = true; check("HHPopupCustomColors", o.HHPopupCustomColors, true);
o.Hwnd = 4242; check("Hwnd", o.Hwnd, 4242);
o.lpPrevWndFunc = 99; check("lpPrevWndFunc", o.lpPrevWndFunc, 99);
o.HHPopupTextFont = "Verdana";
o.HHPopupType = 1;
check("other CHMFile", other.CHMFile, "");

finish();
