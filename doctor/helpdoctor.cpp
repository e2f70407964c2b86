// helpdoctor.exe: says why help did not appear, and checks a help file's map against the
// application. The commands live in HelpDoctor.cpp; this is the console around them: wide
// arguments (file names in any script), UTF-8 output to pipes and files, wide output to a
// console.

#include <windows.h>
#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

#include "HelpDoctor.h"
#include "InstalledLibraryPort.h"
#include "comkit/Handles.h"
#include "htmlhelp/Win32HtmlHelpPort.h"

namespace {

void write(DWORD which, const std::string& text)
{
    if (text.empty()) return;
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
        std::wstring wide(std::size_t(length > 0 ? length : 0), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
    DWORD written = 0;
    ::WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
}

std::optional<std::string> readText(const std::u16string& path)
{
    const morvel::UniqueFile file(::CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                nullptr));
    if (!file) return std::nullopt;
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0 && text.size() < (64u << 20))
        text.append(buffer, got);
    return text;
}

// Replaces the file whole; a file that cannot be written whole is not left half written.
bool writeText(const std::u16string& path, const std::string& bytes)
{
    const wchar_t* name = reinterpret_cast<const wchar_t*>(path.c_str());
    morvel::UniqueFile file(
        ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool whole = ::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                       written == bytes.size() && ::FlushFileBuffers(file.get());
    file.reset();  // closed before a half-written file is deleted
    if (!whole) ::DeleteFileW(name);
    return whole;
}

bool removeFile(const std::u16string& path)
{
    return ::DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str())) != 0;
}

// Asks on the console; an answer from a pipe counts as well, and no input at all is a no.
bool confirm(const std::string& question)
{
    write(STD_OUTPUT_HANDLE, question);
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    std::string answer;
    if (::GetConsoleMode(input, &mode)) {
        wchar_t buffer[64] = {};
        DWORD got = 0;
        if (!::ReadConsoleW(input, buffer, 63, &got, nullptr)) return false;
        for (DWORD i = 0; i < got; ++i) answer += buffer[i] < 0x80 ? char(buffer[i]) : '?';
    } else {
        char c = 0;
        DWORD got = 0;
        while (answer.size() < 64 && ::ReadFile(input, &c, 1, &got, nullptr) && got == 1 && c != '\n') answer += c;
        write(STD_OUTPUT_HANDLE, "\n");  // no echo from a pipe to end the question's line
    }
    const auto first = answer.find_first_not_of(" \t");
    return first != std::string::npos && (answer[first] == 'y' || answer[first] == 'Y');
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // A drive without its medium answers the list's checks with an error, not a dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 1;
    {
        std::vector<std::u16string> args;
        for (int i = 0; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
        morvel::htmlhelp::Win32HtmlHelpPort platform;
        morvel::helpdoctor::InstalledLibraryPort port(platform,
                                                      morvel::helpdoctor::InstalledLibraryPort::find(platform));
        const morvel::helpdoctor::ToolHost host{readText, writeText, removeFile, confirm};
        const morvel::helpdoctor::ToolResult result = morvel::helpdoctor::runHelpDoctor(port, args, host);
        write(STD_OUTPUT_HANDLE, result.out);
        write(STD_ERROR_HANDLE, result.err);
        status = result.status;
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return status;
}
