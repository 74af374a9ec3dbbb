#include "editor/win32/win32_window_system.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "data/win32/this_module.h"
#include "editor/win32/keyboard_hook.h"
#include "graphics/canvas.h"
#include "graphics/win32/gdi_surface.h"

namespace kx {

namespace {

// The property that holds a window's record.
constexpr const char* kRecordProperty = "KxWindowRecord";
// Window sides and positions travel as 16-bit numbers in messages.
constexpr int kMaxWindowSide = 32767;

HWND hwndOf(KWindowHandle window) { return reinterpret_cast<HWND>(window); }
KWindowHandle handleOf(HWND hwnd) { return reinterpret_cast<KWindowHandle>(hwnd); }

int windowSide(int requested) { return requested == CW_USEDEFAULT ? 0 : std::clamp(requested, 0, kMaxWindowSide); }
int windowPosition(int requested) {
    return requested == CW_USEDEFAULT ? 0 : std::clamp(requested, -kMaxWindowSide, kMaxWindowSide);
}

HCURSOR systemCursor(LPCSTR id) { return LoadCursorA(nullptr, id); }

}  // namespace

// What the trampoline knows of a window: the framework procedure to call
// and, for a subclassed system control, the control's own procedure.
struct Win32WindowSystem::Record {
    Win32WindowSystem* system = nullptr;
    KWindowProc procedure = nullptr;
    WNDPROC systemProcedure = nullptr;
    void* extraData = nullptr;
    HCURSOR cursor = nullptr;
    bool destroying = false;
};

namespace {

// Travels as the creation parameter of a window of a registered class, so
// that its first message finds the system and procedure.
struct Creation {
    Win32WindowSystem* system = nullptr;
    KWindowProc procedure = nullptr;
    void* object = nullptr;
};

}  // namespace

std::unique_ptr<KWindowSystem> connectWindowSystem() { return std::make_unique<Win32WindowSystem>(); }

Win32WindowSystem::Win32WindowSystem() {
    cursors_[0] = systemCursor(reinterpret_cast<LPCSTR>(IDC_ARROW));
    cursors_[1] = systemCursor(reinterpret_cast<LPCSTR>(IDC_HAND));
    cursors_[2] = systemCursor(reinterpret_cast<LPCSTR>(IDC_IBEAM));
}

Win32WindowSystem::~Win32WindowSystem() {
    releaseKeyboard();
    // Windows an owner left behind go with their messages; children go with
    // their parents.
    const std::vector<HWND> left = windows_;
    for (HWND hwnd : left) {
        Record* record = recordOf(hwnd);
        if (!record || record->system != this || record->destroying)
            continue;
        if (const HWND parent = GetParent(hwnd); parent && ownRecord(handleOf(parent)))
            continue;
        DestroyWindow(hwnd);
    }
    // Whatever could not be destroyed (another thread's) no longer calls us.
    for (HWND hwnd : std::vector<HWND>(windows_)) {
        if (Record* record = recordOf(hwnd); record && record->systemProcedure)
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->systemProcedure));
        forget(hwnd);
    }
    // A class must not outlive the module whose procedure it names; while
    // another editor still has windows of it, the system keeps it for them.
    for (const WindowClass& c : classes_)
        UnregisterClassA(c.name, win32::thisModule());
}

// ---- Records -------------------------------------------------------------------

Win32WindowSystem::Record* Win32WindowSystem::recordOf(HWND hwnd) {
    return hwnd ? static_cast<Record*>(GetPropA(hwnd, kRecordProperty)) : nullptr;
}

Win32WindowSystem::Record* Win32WindowSystem::ownRecord(KWindowHandle window) const {
    Record* record = recordOf(hwndOf(window));
    return record && record->system == this ? record : nullptr;
}

Win32WindowSystem::Record* Win32WindowSystem::attachRecord(HWND hwnd, KWindowProc procedure) {
    auto* record = new (std::nothrow) Record;
    if (!record)
        return nullptr;
    record->system = this;
    record->procedure = procedure;
    try {
        windows_.push_back(hwnd);
    } catch (...) {
        delete record;
        return nullptr;
    }
    if (!SetPropA(hwnd, kRecordProperty, record)) {
        windows_.pop_back();
        delete record;
        return nullptr;
    }
    return record;
}

void Win32WindowSystem::forget(HWND hwnd) {
    Record* record = recordOf(hwnd);
    if (!record)
        return;
    Win32WindowSystem& owner = *record->system;
    if (owner.keyboardBox_ == hwnd)
        owner.releaseKeyboard();
    RemovePropA(hwnd, kRecordProperty);
    owner.windows_.erase(std::remove(owner.windows_.begin(), owner.windows_.end(), hwnd), owner.windows_.end());
    delete record;
}

LRESULT CALLBACK Win32WindowSystem::sharedWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing thrown may cross the system's frames.
    try {
        Record* record = recordOf(hwnd);
        const Creation* creation = nullptr;
        if (message == WM_NCCREATE || message == WM_CREATE) {
            const auto* params = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            creation = params ? static_cast<const Creation*>(params->lpCreateParams) : nullptr;
            if (!record && message == WM_NCCREATE && creation && creation->system)
                record = creation->system->attachRecord(hwnd, creation->procedure);
        }
        if (!record || !record->procedure)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        Win32WindowSystem& system = *record->system;
        const KWindowProc procedure = record->procedure;
        // The framework reads its own creation record.
        KCreateStruct created;
        KLParam framed = lParam;
        if (creation) {
            const auto& params = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
            created.createParams = creation->object;
            created.instance = params.hInstance;
            created.parent = handleOf(params.hwndParent);
            created.height = params.cy;
            created.width = params.cx;
            created.y = params.y;
            created.x = params.x;
            created.style = static_cast<uint32_t>(params.style);
            created.title = params.lpszName;
            created.className = params.lpszClass;
            created.exStyle = params.dwExStyle;
            framed = reinterpret_cast<KLParam>(&created);
        }
        const KLResult result = procedure(system, handleOf(hwnd), message, wParam, framed);
        // The record may have gone meanwhile (a subclass removed): look again.
        if (message == WM_NCDESTROY)
            forget(hwnd);
        return result;
    } catch (...) {
        return -1;
    }
}

KLResult Win32WindowSystem::callSystemProcedure(KWindowSystem&, KWindowHandle window, unsigned message, KWParam wParam,
                                                KLParam lParam) {
    const HWND hwnd = hwndOf(window);
    if (Record* record = recordOf(hwnd); record && record->systemProcedure)
        return CallWindowProcA(record->systemProcedure, hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// ---- Classes and windows -------------------------------------------------------

bool Win32WindowSystem::registerClass(const char* className, KWindowProc procedure) {
    if (!className || !procedure || std::strlen(className) >= sizeof(WindowClass::name))
        return false;
    for (const WindowClass& c : classes_)
        if (!std::strcmp(c.name, className))
            return true;
    const HINSTANCE module = win32::thisModule();
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    // Another editor of this module registered it already: registering
    // again would fail.
    if (!GetClassInfoExA(module, className, &existing)) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &sharedWindowProcedure;
        windowClass.hInstance = module;
        windowClass.hCursor = cursors_[0];
        windowClass.lpszClassName = className;  // no background brush: nothing is ever erased
        if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    }
    WindowClass c;
    std::snprintf(c.name, sizeof c.name, "%s", className);
    c.procedure = procedure;
    classes_.push_back(c);
    return true;
}

KWindowHandle Win32WindowSystem::createWindow(const KCreateStruct& params) {
    const HWND parent = hwndOf(params.parent);
    if (!params.className || !parent || !IsWindow(parent))
        return 0;
    Creation creation;
    for (const WindowClass& c : classes_)
        if (!std::strcmp(c.name, params.className)) {
            creation.system = this;
            creation.procedure = c.procedure;
            creation.object = params.createParams;
        }
    const HWND hwnd =
        CreateWindowExA(params.exStyle, params.className, params.title, params.style, windowPosition(params.x),
                        windowPosition(params.y), windowSide(params.width), windowSide(params.height), parent, nullptr,
                        static_cast<HINSTANCE>(params.instance ? params.instance : moduleHandle()),
                        creation.system ? &creation : nullptr);
    return handleOf(hwnd);
}

void Win32WindowSystem::destroyWindow(KWindowHandle window) {
    const HWND hwnd = hwndOf(window);
    if (!hwnd || !IsWindow(hwnd))
        return;
    // Destroying a window takes its focus, and a handler that hears of it
    // may ask for the same destruction again.
    if (Record* record = recordOf(hwnd)) {
        if (record->destroying)
            return;
        record->destroying = true;
    }
    DestroyWindow(hwnd);
    if (IsWindow(hwnd))
        if (Record* record = recordOf(hwnd))
            record->destroying = false;
}

bool Win32WindowSystem::isWindow(KWindowHandle window) const { return window && IsWindow(hwndOf(window)); }

KWindowHandle Win32WindowSystem::parentOf(KWindowHandle window) const {
    return isWindow(window) ? handleOf(GetParent(hwndOf(window))) : 0;
}

void* Win32WindowSystem::moduleHandle() const { return win32::thisModule(); }

// ---- Procedures and messages -----------------------------------------------------

void* Win32WindowSystem::userData(KWindowHandle window) const {
    return isWindow(window) ? reinterpret_cast<void*>(GetWindowLongPtrA(hwndOf(window), GWLP_USERDATA)) : nullptr;
}

void Win32WindowSystem::setUserData(KWindowHandle window, void* data) {
    if (isWindow(window))
        SetWindowLongPtrA(hwndOf(window), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
}

// System controls keep their own data themselves here; only the windows
// this system knows hold any for the framework.
void* Win32WindowSystem::extraData(KWindowHandle window) const {
    const Record* record = recordOf(hwndOf(window));
    return record ? record->extraData : nullptr;
}

void Win32WindowSystem::setExtraData(KWindowHandle window, void* data) {
    if (Record* record = recordOf(hwndOf(window)))
        record->extraData = data;
}

KWindowProc Win32WindowSystem::setWindowProc(KWindowHandle window, KWindowProc procedure) {
    const HWND hwnd = hwndOf(window);
    if (!procedure || !isWindow(window))
        return nullptr;
    Record* record = recordOf(hwnd);
    if (!record) {
        // A system control: from now on its messages come to the trampoline,
        // and its own procedure is what the framework's default calls.
        if (procedure == &callSystemProcedure)
            return nullptr;
        const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
        record = attachRecord(hwnd, procedure);
        if (!record)
            return nullptr;
        record->systemProcedure = own;
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&sharedWindowProcedure));
        return &callSystemProcedure;
    }
    const KWindowProc old = record->procedure;
    if (procedure == &callSystemProcedure) {
        // The control's own procedure back, and nothing of ours left on it.
        if (record->systemProcedure) {
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->systemProcedure));
            forget(hwnd);
        }
        return old;
    }
    record->procedure = procedure;
    return old;
}

KLResult Win32WindowSystem::defWindowProc(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) {
    const HWND hwnd = hwndOf(window);
    if ((message == WM_NCCREATE || message == WM_CREATE) && lParam) {
        const auto& created = *reinterpret_cast<const KCreateStruct*>(lParam);
        CREATESTRUCTA params{};
        params.hInstance = static_cast<HINSTANCE>(created.instance);
        params.hwndParent = hwndOf(created.parent);
        params.cy = created.height;
        params.cx = created.width;
        params.y = created.y;
        params.x = created.x;
        params.style = static_cast<LONG>(created.style);
        params.lpszName = created.title;
        params.lpszClass = created.className;
        params.dwExStyle = created.exStyle;
        return DefWindowProcA(hwnd, message, wParam, reinterpret_cast<LPARAM>(&params));
    }
    if (message == WM_SETCURSOR && hwndOf(wParam) == hwnd && LOWORD(lParam) == HTCLIENT) {
        if (const Record* record = recordOf(hwnd); record && record->cursor) {
            SetCursor(record->cursor);
            return TRUE;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

KLResult Win32WindowSystem::sendMessage(KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam) {
    return isWindow(window) ? SendMessageA(hwndOf(window), message, wParam, lParam) : 0;
}

// ---- Painting and placement --------------------------------------------------------

void Win32WindowSystem::invalidate(KWindowHandle window) {
    if (isWindow(window))
        InvalidateRect(hwndOf(window), nullptr, FALSE);
}

void Win32WindowSystem::present(KWindowHandle window, const KCanvas& canvas) {
    const HWND hwnd = hwndOf(window);
    PAINTSTRUCT paint{};
    const HDC dc = isWindow(window) ? BeginPaint(hwnd, &paint) : nullptr;
    if (!dc)
        return;
    // The picture goes under the children (the text box), not over them.
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        if (!IsWindowVisible(child) || !GetWindowRect(child, &r))
            continue;
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    if (const PixelSurface* surface = canvas.surface())
        BitBlt(dc, 0, 0, canvas.width(), canvas.height(), surface->dc(), 0, 0, SRCCOPY);
    EndPaint(hwnd, &paint);
}

void Win32WindowSystem::setWindowPos(KWindowHandle window, int x, int y, int width, int height) {
    if (isWindow(window))
        SetWindowPos(hwndOf(window), nullptr, windowPosition(x), windowPosition(y), windowSide(width),
                     windowSide(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::showWindow(KWindowHandle window, bool show) {
    if (isWindow(window))
        ShowWindow(hwndOf(window), show ? SW_SHOW : SW_HIDE);
}

// ---- Input -------------------------------------------------------------------

void Win32WindowSystem::setCapture(KWindowHandle window) {
    if (isWindow(window))
        SetCapture(hwndOf(window));
}

// ReleaseCapture frees whichever window of the thread has it: a host window
// that has just taken it (and so took the focus from us) keeps it.
void Win32WindowSystem::releaseCapture() {
    if (ownRecord(handleOf(GetCapture())))
        ReleaseCapture();
}

KWindowHandle Win32WindowSystem::capture() const { return handleOf(GetCapture()); }

void Win32WindowSystem::setFocus(KWindowHandle window) {
    if (!window || isWindow(window))
        SetFocus(hwndOf(window));
}

KWindowHandle Win32WindowSystem::focus() const { return handleOf(GetFocus()); }

void Win32WindowSystem::setCursor(KWindowHandle window, KCursorShape shape) {
    const HWND hwnd = hwndOf(window);
    Record* record = recordOf(hwnd);
    if (!record)
        return;
    record->cursor = cursors_[shape == KCursorShape::hand ? 1 : shape == KCursorShape::textBeam ? 2 : 0];
    // The system asks for the cursor before the move that changed it: show
    // it now when the pointer is over the window.
    POINT p;
    if (GetCapture() == hwnd || (GetCursorPos(&p) && WindowFromPoint(p) == hwnd))
        SetCursor(record->cursor);
}

bool Win32WindowSystem::isKeyDown(unsigned virtualKey) const { return GetKeyState(static_cast<int>(virtualKey)) < 0; }

// Keys a host forwards go to the system's own control, which asks the
// keyboard's state itself.
void Win32WindowSystem::setKeyModifiers(bool, bool) {}

void Win32WindowSystem::holdKeyboard(KWindowHandle window) {
    if (isWindow(window) && win32::holdKeyboardFor(hwndOf(window)))
        keyboardBox_ = hwndOf(window);
}

void Win32WindowSystem::releaseKeyboard() {
    if (keyboardBox_)
        win32::releaseKeyboardOf(keyboardBox_);
    keyboardBox_ = nullptr;
}

size_t Win32WindowSystem::clipboardText(char* text, size_t size) {
    if (!text || size == 0)
        return 0;
    text[0] = '\0';
    if (!OpenClipboard(nullptr))
        return 0;
    size_t n = 0;
    if (const HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const auto* p = static_cast<const char*>(GlobalLock(data))) {
            const size_t held = GlobalSize(data);
            while (n + 1 < size && n < held && p[n])
                text[n] = p[n], ++n;
            GlobalUnlock(data);
        }
    }
    text[n] = '\0';
    CloseClipboard();
    return n;
}

// ---- Event processing ------------------------------------------------------------

void Win32WindowSystem::paintInvalidated() {
    for (HWND hwnd : std::vector<HWND>(windows_))
        if (IsWindow(hwnd))
            UpdateWindow(hwnd);
}

void Win32WindowSystem::sync() { GdiFlush(); }

}  // namespace kx
