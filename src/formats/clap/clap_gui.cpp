#include "formats/clap/clap_gui.h"

#include "editor/editor.h"
#include "editor/window_system.h"
#include "formats/clap/clap_instance.h"
#include "plugin/effect.h"

#include <cstring>

namespace kx::clap {

namespace {

#if defined(_WIN32)
constexpr const char* kApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kApi = CLAP_WINDOW_API_X11;
#endif
constexpr uint32_t kTickMs = 30;

template <typename Table>
const Table* hostTable(const ClapInstance& instance, const char* id) {
    return static_cast<const Table*>(instance.hostExtension(id));
}

ClapGui* guiOf(const clap_plugin* plugin) {
    ClapInstance* instance = ClapInstance::from(plugin);
    return instance ? instance->gui() : nullptr;
}

}  // namespace

bool ClapGui::isApiSupported(const char* api, bool floating) const {
    if (floating || !api || std::strcmp(api, kApi) != 0 || !instance_.effect())
        return false;
    return (instance_.effect()->flags & effFlagsHasEditor) != 0;
}

bool ClapGui::create(const char* api, bool floating) {
    if (created_ || !isApiSupported(api, floating))
        return false;
#if !defined(_WIN32)
    // Without the host's timer nothing would ever tick the editor. Asked
    // here, not in isApiSupported: hosts ask that while scanning, when some
    // offer no timers yet.
    const auto* timer = hostTable<clap_host_timer_support>(instance_, CLAP_EXT_TIMER_SUPPORT);
    if (!timer || !timer->register_timer || !timer->unregister_timer)
        return false;
#endif
    created_ = true;
    return true;
}

void ClapGui::destroy() {
    if (open_) {
        unwatch();
        instance_.dispatch(effEditClose);
        open_ = false;
    }
    created_ = false;
}

bool ClapGui::getSize(uint32_t* width, uint32_t* height) const {
    ERect* rect = nullptr;
    if (!width || !height || !instance_.dispatch(effEditGetRect, 0, 0, &rect) || !rect)
        return false;
    *width = static_cast<uint32_t>(rect->right > rect->left ? rect->right - rect->left : 0);
    *height = static_cast<uint32_t>(rect->bottom > rect->top ? rect->bottom - rect->top : 0);
    return true;
}

bool ClapGui::setParent(const clap_window* window) {
    if (!created_ || open_ || !window)
        return false;
#if defined(_WIN32)
    void* parent = window->win32;
#else
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window->x11));
#endif
    if (!parent || !instance_.dispatch(effEditOpen, 0, 0, parent))
        return false;
    open_ = true;
    watch();
    return true;
}

void ClapGui::tick() {
    if (open_)
        instance_.dispatch(effEditIdle);
}

bool ClapGui::requestResize(int width, int height) {
    const auto* gui = hostTable<clap_host_gui>(instance_, CLAP_EXT_GUI);
    if (!open_ || width <= 0 || height <= 0 || !gui || !gui->request_resize)
        return false;
    return gui->request_resize(instance_.host(), static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

void ClapGui::watch() {
    const auto* timer = hostTable<clap_host_timer_support>(instance_, CLAP_EXT_TIMER_SUPPORT);
    if (timer && timer->register_timer && !timer->register_timer(instance_.host(), kTickMs, &timer_))
        timer_ = CLAP_INVALID_ID;
    const auto* fds = hostTable<clap_host_posix_fd_support>(instance_, CLAP_EXT_POSIX_FD_SUPPORT);
    KEditor* editor = instance_.kEffect()->getSkinEditor();
    KWindowSystem* system = editor ? editor->windowSystem() : nullptr;
    const int fd = system ? system->eventDescriptor() : -1;
    if (fd >= 0 && fds && fds->register_fd && fds->register_fd(instance_.host(), fd, CLAP_POSIX_FD_READ))
        fd_ = fd;
}

void ClapGui::unwatch() {
    const auto* timer = hostTable<clap_host_timer_support>(instance_, CLAP_EXT_TIMER_SUPPORT);
    if (timer_ != CLAP_INVALID_ID && timer && timer->unregister_timer)
        timer->unregister_timer(instance_.host(), timer_);
    timer_ = CLAP_INVALID_ID;
    const auto* fds = hostTable<clap_host_posix_fd_support>(instance_, CLAP_EXT_POSIX_FD_SUPPORT);
    if (fd_ >= 0 && fds && fds->unregister_fd)
        fds->unregister_fd(instance_.host(), fd_);
    fd_ = -1;
}

// ---- The tables ------------------------------------------------------------------

const clap_plugin_gui ClapGui::kGui = {
    [](const clap_plugin* p, const char* api, bool floating) {
        ClapGui* g = guiOf(p);
        return g && g->isApiSupported(api, floating);
    },
    [](const clap_plugin* p, const char** api, bool* floating) {
        (void)p;
        if (api)
            *api = kApi;
        if (floating)
            *floating = false;
        return true;
    },
    [](const clap_plugin* p, const char* api, bool floating) {
        ClapGui* g = guiOf(p);
        return g && g->create(api, floating);
    },
    [](const clap_plugin* p) {
        if (ClapGui* g = guiOf(p))
            g->destroy();
    },
    [](const clap_plugin*, double) { return false; },  // the skin's pixels are physical
    [](const clap_plugin* p, uint32_t* w, uint32_t* h) {
        ClapGui* g = guiOf(p);
        return g && g->getSize(w, h);
    },
    [](const clap_plugin*) { return false; },
    [](const clap_plugin*, clap_gui_resize_hints* hints) {
        // A fixed size: the skin's.
        if (!hints)
            return false;
        *hints = clap_gui_resize_hints{};
        return true;
    },
    [](const clap_plugin* p, uint32_t* w, uint32_t* h) {
        // The one size there is.
        ClapGui* g = guiOf(p);
        return g && g->getSize(w, h);
    },
    [](const clap_plugin* p, uint32_t w, uint32_t h) {
        uint32_t width = 0, height = 0;
        ClapGui* g = guiOf(p);
        return g && g->getSize(&width, &height) && width == w && height == h;
    },
    [](const clap_plugin* p, const clap_window* window) {
        ClapGui* g = guiOf(p);
        return g && g->setParent(window);
    },
    [](const clap_plugin*, const clap_window*) { return false; },
    [](const clap_plugin*, const char*) {},
    // The editor's window is a child of the host's: it shows and hides with it.
    [](const clap_plugin* p) { return guiOf(p) != nullptr; },
    [](const clap_plugin* p) { return guiOf(p) != nullptr; },
};

const clap_plugin_timer_support ClapGui::kTimer = {
    [](const clap_plugin* p, clap_id) {
        if (ClapGui* g = guiOf(p))
            g->tick();
    },
};

const clap_plugin_posix_fd_support ClapGui::kFd = {
    [](const clap_plugin* p, int, uint32_t) {
        if (ClapGui* g = guiOf(p))
            g->tick();
    },
};

}  // namespace kx::clap
