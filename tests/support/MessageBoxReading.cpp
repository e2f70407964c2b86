#include "MessageBoxReading.h"

#include <vector>

namespace comtest {

namespace {

// A picture of width x height pixels (0x00RRGGBB): `background`, overpainted by `paint`;
// empty when `paint` fails.
template <class Paint>
std::vector<DWORD> picture(int width, int height, COLORREF background, Paint paint)
{
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(format.bmiHeader), width, -height, 1, 32, BI_RGB};
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    std::vector<DWORD> pixels;
    if (paint(dc) && GdiFlush()) pixels.assign(bits, bits + width * height);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

auto drawing(HICON icon)
{
    return [icon](HDC dc) { return DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE); };
}

// Which of the system's icons the box shows, compared by picture rather than by handle: a
// handle names a system icon only inside the process that loaded it (in the watcher's
// process the box's handle means nothing) and only when the box shows the shared copy. The
// box's icon is drawn here from its handle where this process can draw that handle, else
// taken from the screen where the box painted it, and each system icon is drawn on the same
// background; at least nine pixels in ten must agree.
std::wstring iconOf(HWND box)
{
    static const std::pair<LPCWSTR, const wchar_t*> known[] = {{IDI_HAND, L"hand"},
                                                               {IDI_QUESTION, L"question"},
                                                               {IDI_EXCLAMATION, L"exclamation"},
                                                               {IDI_ASTERISK, L"asterisk"}};
    HWND control = nullptr;
    DWORD_PTR icon = 0;
    while ((control = FindWindowExW(box, control, L"Static", nullptr)) != nullptr)
        if (SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 1000, &icon) && icon) break;
    if (!control) return L"none";
    RECT area{};
    GetClientRect(control, &area);
    const int width = area.right, height = area.bottom;
    if (width <= 0 || height <= 0 || width > 256 || height > 256) return L"other";

    std::vector<DWORD> shown = picture(width, height, GetSysColor(COLOR_3DFACE),
                                       drawing(reinterpret_cast<HICON>(icon)));
    if (shown.empty())
        shown = picture(width, height, 0, [&](HDC dc) {
            POINT origin{0, 0};
            ClientToScreen(control, &origin);
            HDC screen = GetDC(nullptr);
            const BOOL copied = BitBlt(dc, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
            ReleaseDC(nullptr, screen);
            return copied;
        });
    if (shown.empty()) return L"other";
    const COLORREF background = RGB(shown[0] >> 16, (shown[0] >> 8) & 0xFF, shown[0] & 0xFF);
    std::wstring best = L"other";
    size_t bestMatches = shown.size() * 9 / 10;
    for (const auto& [id, name] : known) {
        const std::vector<DWORD> drawn = picture(width, height, background, drawing(LoadIconW(nullptr, id)));
        size_t matches = 0;
        for (size_t i = 0; i < drawn.size(); ++i) matches += drawn[i] == shown[i];
        if (matches > bestMatches) {
            bestMatches = matches;
            best = name;
        }
    }
    return best;
}

BOOL CALLBACK countButton(HWND child, LPARAM count)
{
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Button") == 0 && isShown(child)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

}  // namespace

bool isDialog(HWND window)
{
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    return lstrcmpW(cls, L"#32770") == 0;
}

// By the window's own WS_VISIBLE style rather than IsWindowVisible, which also asks that
// every parent be shown: the recorder reads a box from its activation hook, before the box
// itself is on the screen, where IsWindowVisible would deny every button. For a window
// without a parent, the box itself, the two agree.
bool isShown(HWND window) { return GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE; }

MessageBoxReading readMessageBox(HWND box)
{
    MessageBoxReading reading;
    std::vector<wchar_t> buffer(8192);
    GetWindowTextW(box, buffer.data(), static_cast<int>(buffer.size()));
    reading.caption = buffer.data();
    buffer[0] = 0;
    GetDlgItemTextW(box, 0xFFFF, buffer.data(), static_cast<int>(buffer.size()));
    reading.text = buffer.data();
    reading.icon = iconOf(box);
    EnumChildWindows(box, countButton, reinterpret_cast<LPARAM>(&reading.buttons));
    return reading;
}

}  // namespace comtest
