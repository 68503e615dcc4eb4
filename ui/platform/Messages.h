#pragma once

#include <cstdint>

// Window messages, virtual keys and their parameter packing keep the numbering of the Win32
// window system, so code written against those numbers (and messages the application posts to
// itself) behaves the same on every back end.
namespace Tolva {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_CREATE = 0x0001; // lParam: const WindowParams*; return -1 to refuse
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_MOVE = 0x0003;     // lParam: MakeLParam(x, y) screen position
inline constexpr uint32_t WM_SIZE = 0x0005;     // wParam: SIZE_*, lParam: MakeLParam(cx, cy)
inline constexpr uint32_t WM_ACTIVATE = 0x0006; // wParam: WA_INACTIVE / WA_ACTIVE
inline constexpr uint32_t WM_SETFOCUS = 0x0007;
inline constexpr uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr uint32_t WM_ENABLE = 0x000A; // wParam: new enabled state
inline constexpr uint32_t WM_SETTEXT = 0x000C;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_SHOWWINDOW = 0x0018; // wParam: shown
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_GETMINMAXINFO = 0x0024;
inline constexpr uint32_t WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr uint32_t WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr uint32_t WM_NCCREATE = 0x0081;  // lParam: const WindowParams*; return 0 to refuse
inline constexpr uint32_t WM_NCDESTROY = 0x0082; // last message a window receives
inline constexpr uint32_t WM_NCCALCSIZE = 0x0083;
inline constexpr uint32_t WM_NCHITTEST = 0x0084;
inline constexpr uint32_t WM_NCPAINT = 0x0085;
inline constexpr uint32_t WM_NCACTIVATE = 0x0086;
inline constexpr uint32_t WM_INPUT = 0x00FF;
inline constexpr uint32_t WM_KEYDOWN = 0x0100; // wParam: VK_*, lParam: KeyLParam(...)
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;       // wParam: Unicode code point
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104; // key down while Alt is held
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
// Input methods: a composition starts, changes and ends. WM_IME_COMPOSITION's lParam tells what
// changed: GCS_COMPSTR the pre-edit string (NativeWindow::GetImePreedit), GCS_RESULTSTR committed
// text waiting in NativeWindow::TakeImeResult.
inline constexpr uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
inline constexpr uint32_t WM_IME_ENDCOMPOSITION = 0x010E;
inline constexpr uint32_t WM_IME_COMPOSITION = 0x010F;
inline constexpr LPARAM GCS_COMPSTR = 0x0008;
inline constexpr LPARAM GCS_RESULTSTR = 0x0800;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113; // wParam: timer id
inline constexpr uint32_t WM_CTLCOLOREDIT = 0x0133;
inline constexpr uint32_t WM_CTLCOLORSTATIC = 0x0138;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200; // wParam: MK_*, lParam: MakeLParam(x, y) client
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203; // replaces the second press of a double click
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
// wParam: MakeWParam(MK_*, delta) with delta a signed multiple of WHEEL_DELTA (positive = away
// from the user); lParam: MakeLParam(x, y) in screen coordinates.
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
// The side buttons: wParam MakeWParam(MK_*, XBUTTON1 or XBUTTON2), lParam MakeLParam(x, y) client.
inline constexpr uint32_t WM_XBUTTONDOWN = 0x020B;
inline constexpr uint32_t WM_XBUTTONUP = 0x020C;
inline constexpr uint32_t XBUTTON1 = 1;
inline constexpr uint32_t XBUTTON2 = 2;
inline constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
inline constexpr uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr uint32_t WM_MOUSEHOVER = 0x02A1; // once per TrackMouse request
inline constexpr uint32_t WM_MOUSELEAVE = 0x02A3; // once per TrackMouse request
inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_APP = 0x8000;

// Tolva's own user close message: wParam is the dialog result.
inline constexpr uint32_t WM_TOLVA_USERCLOSE = 0x0442;

// The application's own messages keep their numbers.
inline constexpr uint32_t WM_APP_SOFTWARE_FUNCTION = 1092;
inline constexpr uint32_t WM_APP_KEY_HOOK = 1654;
inline constexpr uint32_t WM_APP_TRAY = 1690;
inline constexpr uint32_t WM_APP_EXIT_REQUEST = 1691; // lParam 610
inline constexpr uint32_t WM_APP_KEY_MENU = 1825;
inline constexpr uint32_t WM_APP_PROFILE_MENU = 1826;
inline constexpr uint32_t WM_APP_MACRO_MENU = 1827;
inline constexpr uint32_t WM_APP_RELOAD_TEXTS = 2022;

// WM_DEVICECHANGE wParam values.
inline constexpr WPARAM DBT_DEVICEARRIVAL = 0x8000;
inline constexpr WPARAM DBT_DEVICEREMOVECOMPLETE = 0x8004;

// WM_SIZE wParam.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_ACTIVATE wParam.
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;

// Mouse message wParam flags.
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;
inline constexpr int WHEEL_DELTA = 120;

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

// Packing helpers. Coordinates are signed 16-bit, as in the Win32 packing.
constexpr LPARAM MakeLParam(int lo, int hi) {
    return static_cast<LPARAM>(static_cast<int32_t>((static_cast<uint32_t>(hi & 0xFFFF) << 16) |
                                                    static_cast<uint32_t>(lo & 0xFFFF)));
}
constexpr WPARAM MakeWParam(int lo, int hi) {
    return static_cast<WPARAM>((static_cast<uint32_t>(hi & 0xFFFF) << 16) |
                               static_cast<uint32_t>(lo & 0xFFFF));
}
constexpr int LoWordSigned(std::uintptr_t v) {
    return static_cast<int16_t>(v & 0xFFFF);
}
constexpr int HiWordSigned(std::uintptr_t v) {
    return static_cast<int16_t>((v >> 16) & 0xFFFF);
}
constexpr int LoWord(std::uintptr_t v) {
    return static_cast<int>(v & 0xFFFF);
}
constexpr int HiWord(std::uintptr_t v) {
    return static_cast<int>((v >> 16) & 0xFFFF);
}
constexpr int GetXLParam(LPARAM l) {
    return LoWordSigned(static_cast<std::uintptr_t>(l));
}
constexpr int GetYLParam(LPARAM l) {
    return HiWordSigned(static_cast<std::uintptr_t>(l));
}
constexpr int GetWheelDelta(WPARAM w) {
    return HiWordSigned(w);
}
// Key message lParam: repeat count, scan code, extended flag, previous state, transition.
constexpr LPARAM KeyLParam(int repeat, int scanCode, bool extended, bool wasDown, bool isUp) {
    uint32_t v = static_cast<uint32_t>(repeat & 0xFFFF) |
                 (static_cast<uint32_t>(scanCode & 0xFF) << 16) | (extended ? 1u << 24 : 0u) |
                 (wasDown ? 1u << 30 : 0u) | (isUp ? 1u << 31 : 0u);
    return static_cast<LPARAM>(static_cast<int32_t>(v));
}

} // namespace Tolva
