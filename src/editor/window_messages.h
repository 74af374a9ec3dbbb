// The window messages, styles and key codes the window framework speaks.
// They keep their Win32 numbers and their Win32 packing of wParam and lParam,
// so that the framework's logic reads the same on every platform: a Win32
// binding passes messages straight through, others translate their events
// into these.
#pragma once

#include <cstdint>

namespace kx {

using KWParam = std::uintptr_t;
using KLParam = std::intptr_t;
using KLResult = std::intptr_t;

// ---- Messages ----------------------------------------------------------------
inline constexpr unsigned WM_CREATE = 0x0001;
inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_ACTIVATE = 0x0006;
inline constexpr unsigned WM_SETFOCUS = 0x0007;
inline constexpr unsigned WM_KILLFOCUS = 0x0008;
inline constexpr unsigned WM_ENABLE = 0x000A;
inline constexpr unsigned WM_SETTEXT = 0x000C;
inline constexpr unsigned WM_GETTEXT = 0x000D;
inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_CLOSE = 0x0010;
inline constexpr unsigned WM_ERASEBKGND = 0x0014;
inline constexpr unsigned WM_SHOWWINDOW = 0x0018;
inline constexpr unsigned WM_SETCURSOR = 0x0020;
inline constexpr unsigned WM_GETMINMAXINFO = 0x0024;
inline constexpr unsigned WM_SETFONT = 0x0030;
inline constexpr unsigned WM_NOTIFY = 0x004E;
inline constexpr unsigned WM_NCCREATE = 0x0081;
inline constexpr unsigned WM_NCDESTROY = 0x0082;
inline constexpr unsigned WM_GETDLGCODE = 0x0087;
inline constexpr unsigned EM_SETSEL = 0x00B1;
inline constexpr unsigned EM_GETMODIFY = 0x00B8;
inline constexpr unsigned EM_SETMODIFY = 0x00B9;
inline constexpr unsigned EM_LIMITTEXT = 0x00C5;
inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_KEYUP = 0x0101;
inline constexpr unsigned WM_CHAR = 0x0102;
inline constexpr unsigned WM_INITDIALOG = 0x0110;
inline constexpr unsigned WM_COMMAND = 0x0111;
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;
inline constexpr unsigned WM_TIMER = 0x0113;
inline constexpr unsigned WM_CTLCOLOREDIT = 0x0133;
inline constexpr unsigned WM_CTLCOLORSTATIC = 0x0138;
inline constexpr unsigned WM_MOUSEMOVE = 0x0200;
inline constexpr unsigned WM_LBUTTONDOWN = 0x0201;
inline constexpr unsigned WM_LBUTTONUP = 0x0202;
inline constexpr unsigned WM_RBUTTONDOWN = 0x0204;
inline constexpr unsigned WM_RBUTTONUP = 0x0205;
inline constexpr unsigned WM_MBUTTONDOWN = 0x0207;
inline constexpr unsigned WM_MBUTTONUP = 0x0208;
inline constexpr unsigned WM_MOUSEWHEEL = 0x020A;
inline constexpr unsigned WM_CAPTURECHANGED = 0x0215;
inline constexpr unsigned WM_MOUSELEAVE = 0x02A3;
inline constexpr unsigned WM_DEVICECHANGE = 0x0219;
inline constexpr unsigned WM_USER = 0x0400;
inline constexpr unsigned WM_APP = 0x8000;

// Application messages run from WM_APP to here; registered ones follow.
inline constexpr unsigned kLastAppMessage = 0xBFFF;

// ---- Mouse key states (wParam of mouse messages) ---------------------------
inline constexpr unsigned MK_LBUTTON = 0x0001;
inline constexpr unsigned MK_RBUTTON = 0x0002;
inline constexpr unsigned MK_SHIFT = 0x0004;
inline constexpr unsigned MK_CONTROL = 0x0008;
inline constexpr unsigned MK_MBUTTON = 0x0010;

// ---- Virtual keys (wParam of key messages) ---------------------------------
inline constexpr unsigned VK_BACK = 0x08;
inline constexpr unsigned VK_TAB = 0x09;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_SHIFT = 0x10;
inline constexpr unsigned VK_CONTROL = 0x11;
inline constexpr unsigned VK_MENU = 0x12;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_PRIOR = 0x21;
inline constexpr unsigned VK_NEXT = 0x22;
inline constexpr unsigned VK_END = 0x23;
inline constexpr unsigned VK_HOME = 0x24;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;
inline constexpr unsigned VK_INSERT = 0x2D;
inline constexpr unsigned VK_DELETE = 0x2E;
// '0'..'9' and 'A'..'Z' are their own ASCII codes.
inline constexpr unsigned VK_NUMPAD0 = 0x60;
inline constexpr unsigned VK_MULTIPLY = 0x6A;
inline constexpr unsigned VK_ADD = 0x6B;
inline constexpr unsigned VK_SUBTRACT = 0x6D;
inline constexpr unsigned VK_DECIMAL = 0x6E;
inline constexpr unsigned VK_DIVIDE = 0x6F;
inline constexpr unsigned VK_F1 = 0x70;

// lParam of WM_KEYUP: the key was down before and is released now.
inline constexpr KLParam kKeyUpFlags = static_cast<KLParam>(0xC0000001u);

// ---- Styles and creation ---------------------------------------------------
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t ES_CENTER = 0x00000001;
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// ---- Packing -----------------------------------------------------------------
inline constexpr unsigned loWord(std::uintptr_t v) { return static_cast<unsigned>(v & 0xFFFF); }
inline constexpr unsigned hiWord(std::uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFF); }
// The signed halves of a mouse message's lParam.
inline constexpr int pointX(KLParam lp) { return static_cast<int16_t>(static_cast<uint16_t>(lp & 0xFFFF)); }
inline constexpr int pointY(KLParam lp) {
    return static_cast<int16_t>(static_cast<uint16_t>((static_cast<std::uintptr_t>(lp) >> 16) & 0xFFFF));
}
// Two 16-bit halves into one word, as MAKELPARAM and MAKEWPARAM do.
inline constexpr KLParam makeLParam(int low, int high) {
    return static_cast<KLParam>(
        static_cast<uint32_t>((static_cast<uint32_t>(high) & 0xFFFF) << 16 | (static_cast<uint32_t>(low) & 0xFFFF)));
}
inline constexpr KWParam makeWParam(unsigned low, unsigned high) {
    return static_cast<KWParam>((high & 0xFFFF) << 16 | (low & 0xFFFF));
}

}  // namespace kx
