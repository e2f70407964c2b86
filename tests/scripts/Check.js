// What every JScript client of the tests shares; tests/run-script.sh runs each one with this
// in front. A script makes its checks and ends with finish(), which prints the closing line
// the test waits for only when every check passed (Wine's cscript exits with 0 even after a
// script error) and exits with the number of failures.
var failures = 0;

function check(name, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + name + ": got [" + actual + "] (" + typeof actual + "), expected [" + expected + "]");
        failures++;
    }
}

function finish() {
    if (failures === 0) WScript.Echo(WScript.ScriptName + ": every check passed");
    WScript.Quit(failures);
}
