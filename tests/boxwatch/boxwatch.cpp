// boxwatch: records and dismisses the message boxes a script client shows. A script host
// has no hook of its own, so this runs beside it, finds every visible dialog window of the
// class #32770 on the desktop, appends one line per box to a log file, and presses the
// box's default button (OK for an OK box).
//
// Usage: boxwatch <log file> <stop file> [time limit in seconds, default 300]
//
// It stops once the stop file exists (after one last look for boxes) or at the time
// limit. Each line of the log, in the ANSI code page:
//
//   <caption> | <text> | icon=<hand|question|exclamation|asterisk|none|other> | buttons=<n> | pressed=<id>
//
// with line breaks inside the text written as \n.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "tests/support/Environment.h"
#include "tests/support/MessageBoxReading.h"

namespace {

using namespace comtest;

std::string escaped(const std::wstring& wideText)
{
    const std::string text = narrow(wideText);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' || text[i] == '\n')
            out += "\\n";
        else
            out += text[i];
    }
    return out;
}

// The button a user pressing Enter would press: the default one, else OK, else Cancel.
int defaultButton(HWND box)
{
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) && HIWORD(answer) == DC_HASDEFID &&
        GetDlgItem(box, LOWORD(answer)))
        return LOWORD(answer);
    return GetDlgItem(box, IDOK) ? IDOK : IDCANCEL;
}

struct Watch {
    std::wstring logFile;
    std::set<HWND> seen;
    std::set<HWND> handled;
    int recorded = 0;
};

void append(const std::wstring& file, const std::string& line)
{
    HANDLE opened = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "boxwatch: cannot open the log (error %lu)\n", GetLastError());
        return;
    }
    std::unique_ptr<void, decltype(&CloseHandle)> log(opened, &CloseHandle);
    DWORD written = 0;
    if (!WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
        std::fprintf(stderr, "boxwatch: cannot write the log (error %lu)\n", GetLastError());
}

BOOL CALLBACK visit(HWND window, LPARAM context)
{
    auto& watch = *reinterpret_cast<Watch*>(context);
    if (!isDialog(window) || !isShown(window) || watch.handled.count(window)) return TRUE;
    // Give a box that has just appeared the moment it needs to paint its icon.
    if (!watch.seen.count(window)) {
        watch.seen.insert(window);
        return TRUE;
    }

    const MessageBoxReading box = readMessageBox(window);
    const int pressed = defaultButton(window);
    const std::string line = escaped(box.caption) + " | " + escaped(box.text) + " | icon=" + narrow(box.icon) +
                             " | buttons=" + std::to_string(box.buttons) + " | pressed=" + std::to_string(pressed) +
                             "\r\n";
    // Written before the press, so the box's caller finds the line once its call returns.
    append(watch.logFile, line);
    watch.handled.insert(window);
    ++watch.recorded;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(pressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, pressed)));
    return TRUE;
}

void sweep(Watch& watch)
{
    // Forget boxes that are gone: their handles may come back for new ones.
    for (auto* windows : {&watch.seen, &watch.handled})
        for (auto it = windows->begin(); it != windows->end();) it = IsWindow(*it) ? std::next(it) : windows->erase(it);
    EnumWindows(visit, reinterpret_cast<LPARAM>(&watch));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: boxwatch <log file> <stop file> [seconds]\n");
        return 2;
    }
    Watch watch;
    watch.logFile = argv[1];
    const std::wstring stopFile = argv[2];
    const DWORD limit = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) * 1000 : 300000;
    const DWORD start = GetTickCount();
    for (;;) {
        const bool stopping = GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES;
        sweep(watch);
        if (stopping) {
            Sleep(100);
            sweep(watch);  // a box first seen by the sweep before
            break;
        }
        if (GetTickCount() - start > limit) {
            std::fprintf(stderr, "boxwatch: time limit reached\n");
            break;
        }
        Sleep(100);
    }
    std::printf("boxwatch: %d box(es) recorded\n", watch.recorded);
    return 0;
}
