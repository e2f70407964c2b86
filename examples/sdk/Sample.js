// Sample.js: Morvel10 from JScript (late binding, objects by ProgID).
//
//   cscript //nologo Sample.js                   what the library says about this machine
//   cscript //nologo Sample.js C:\Help\My.chm    and then shows that help file's contents
//
// Run it with the script host of the registered library's width. On 64-bit Windows the
// default cscript is 64-bit (the x64 Morvel10.dll); C:\Windows\SysWOW64\cscript.exe is
// 32-bit (the x86 Morvel10.dll).

// A WinHelp command of the library's WinHelpCmdHlpfConstants (scripts see no type library).
var HELP_QUIT = 2;

// The HTML Help class. Its properties keep what you assign; a new object starts empty.
var help = new ActiveXObject("Morvel10.clsKvHlpfHtmlA");
help.CHMFile = "Library.chm";
help.HHTopicURL = "intro.htm";
WScript.Echo("CHMFile: " + help.CHMFile + ", topic: " + help.HHTopicURL);
WScript.Echo("Default text help file: " + help.HHSetHelpFile(2));
WScript.Echo("Windows version code: " + help.GetWindowsVersion());

// Is a help file in the HTML Help file list? The answer is left in three properties.
// (JScript passes arguments by value: a member that rewrites its argument cannot reach
// the script's variable.)
help.HHCheckRegistry("Library.chm");
if (help.HHRegFileName == "")
    WScript.Echo("Library.chm is not registered");
else
    WScript.Echo("Library.chm is registered in " + help.HHRegFilePath);

// The WinHelp class: close any WinHelp window this program opened (window 0: no owner).
var winHelp = new ActiveXObject("Morvel10.clsKvHlpfHlpA");
if (winHelp.WinHelpHlpf(0, HELP_QUIT) != 0) WScript.Echo("WinHelp quit: done");

// The library object and its application information.
var library = new ActiveXObject("Morvel10.clsKvMorvel10A");
WScript.Echo("Library title: " + library.GetProStdProperties.Title);

// A failed call throws an Error whose number is the call's status code: 0x800A0000 plus
// the run-time error number for the library's own errors, which carry their description;
// the platform's dispatch errors (a value of the wrong type, a missing argument) come
// with the code alone, so describe those here. HHTopicID holds a number, so a text that
// is not one is refused.
function describe(e) {
    var code = e.number >>> 0;
    var dispatchErrors = {
        0x80020003: "Member not found", 0x80020004: "Parameter not found",
        0x80020005: "Type mismatch", 0x8002000A: "Out of present range",
        0x8002000E: "Invalid number of parameters", 0x8002000F: "Parameter not optional"
    };
    return "0x" + code.toString(16) + ", " + (e.description || dispatchErrors[code] || "no description");
}
try {
    help.HHTopicID = "intro";
} catch (e) {
    WScript.Echo("HHTopicID = \"intro\" failed: " + describe(e));
}

// Showing a help file opens the help viewer: only when the command line names one.
if (WScript.Arguments.length > 0) {
    help.CHMFile = WScript.Arguments(0);
    help.HHDisplayContents();
    WScript.Echo("The help viewer shows " + help.CHMFile + ". Press Enter to close it.");
    WScript.StdIn.ReadLine();
    help.HHClose();
}
WScript.Echo("Done.");
