#pragma once
// A message box read as its user sees it: caption, text, icon and buttons. The COM tests'
// recorder reads the boxes of its own thread from a hook; the box watcher (tests/boxwatch)
// reads a script host's boxes from another process. Both read them here, by the same rules.

#include <windows.h>

#include <string>

namespace comtest {

struct MessageBoxReading {
    std::wstring caption;
    std::wstring text;
    std::wstring icon;  // "hand", "question", "exclamation", "asterisk", "none" or "other"
    int buttons = 0;    // push buttons shown
};

bool isDialog(HWND window);  // of the dialog class message boxes are made of (#32770)
bool isShown(HWND window);
MessageBoxReading readMessageBox(HWND box);

}  // namespace comtest
