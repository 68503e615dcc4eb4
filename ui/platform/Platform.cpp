#include "ui/platform/Platform.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "ui/platform/GtkPlatform.h"
#include "ui/platform/HeadlessPlatform.h"
#include "ui/platform/InputState.h"
#include "ui/platform/MessageQueue.h"
#include "ui/platform/PeriodicTimers.h"
#include "ui/platform/PlatformBackend.h"

namespace Tolva {

namespace {

// Internal message that carries Platform::EnableWindow to the window thread.
constexpr uint32_t kEnableMessage = 0xBF01;

std::mutex g_backendMutex;
std::unique_ptr<PlatformBackend> g_backend;

PlatformBackend* Backend() {
    std::lock_guard lock(g_backendMutex);
    return g_backend.get();
}

} // namespace

bool Platform::Init(BackendKind kind, int* argc, char*** argv) {
    std::lock_guard lock(g_backendMutex);
    if (g_backend) return g_backend->Kind() == kind;
    std::unique_ptr<PlatformBackend> backend;
    if (kind == BackendKind::Headless)
        backend = std::make_unique<HeadlessPlatform>();
    else
        backend = GtkPlatform::Start(argc, argv);
    if (!backend) return false;
    InputState::Instance().Reset();
    MessageQueue::Instance().Clear();
    g_backend = std::move(backend);
    return true;
}

bool Platform::InitFromEnvironment(int* argc, char*** argv) {
    const char* env = std::getenv("TOLVA_BACKEND");
    bool headless = env && std::strcmp(env, "headless") == 0;
    return Init(headless ? BackendKind::Headless : BackendKind::Gtk, argc, argv);
}

void Platform::Shutdown() {
    if (!Backend()) return;
    auto windows = MessageQueue::Instance().Windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->Destroy();
    windows.clear();
    PeriodicTimers::Instance().StopAll();
    MessageQueue::Instance().Clear();
    InputState::Instance().Reset();
    std::unique_ptr<PlatformBackend> old;
    {
        std::lock_guard lock(g_backendMutex);
        old = std::move(g_backend);
    }
}

bool Platform::IsInitialized() {
    return Backend() != nullptr;
}

BackendKind Platform::Kind() {
    PlatformBackend* b = Backend();
    return b ? b->Kind() : BackendKind::Headless;
}

HeadlessBackend* Platform::Headless() {
    PlatformBackend* b = Backend();
    return b ? b->Headless() : nullptr;
}

NativeWindow* Platform::CreateNativeWindow(const WindowParams& params, WindowProc proc,
                                           void* self) {
    PlatformBackend* b = Backend();
    if (!b || !proc) return nullptr;
    if (params.owner && !IsWindow(params.owner)) return nullptr;
    std::shared_ptr<NativeWindow> window = b->NewWindow(params, proc, self);
    if (!window) return nullptr;
    window->serial_ = MessageQueue::Instance().Register(window);
    NativeWindow* w = window.get();
    LPARAM create = reinterpret_cast<LPARAM>(&params);
    if (w->Send(WM_NCCREATE, 0, create) == 0 || w->Send(WM_CREATE, 0, create) == -1) {
        w->Destroy();
        return nullptr;
    }
    return w;
}

bool Platform::IsWindow(NativeWindow* window) {
    return MessageQueue::Instance().IsLive(window);
}

bool Platform::PostMessage(NativeWindow* window, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    PlatformBackend* b = Backend();
    if (!b || !MessageQueue::Instance().Post(window, msg, wParam, lParam)) return false;
    b->Wakeup();
    return true;
}

bool Platform::InvalidateRect(NativeWindow* window, const Rect* rect) {
    PlatformBackend* b = Backend();
    if (!b) return false;
    // The client size is read on the window thread when the paint is taken; clip there.
    Rect r = rect ? *rect : Rect{0, 0, 1 << 20, 1 << 20};
    if (r.IsEmpty()) return IsWindow(window);
    if (!MessageQueue::Instance().AddUpdate(window, r)) return false;
    b->Wakeup();
    return true;
}

bool Platform::EnableWindow(NativeWindow* window, bool enabled) {
    return PostMessage(window, kEnableMessage, enabled ? 1 : 0, 0);
}

void Platform::PostQuitMessage(int code) {
    MessageQueue::Instance().PostQuit(code);
    if (PlatformBackend* b = Backend()) b->Wakeup();
}

bool Platform::PeekMessage(Message& msg) {
    PlatformBackend* b = Backend();
    if (!b) return false;
    MessageQueue& queue = MessageQueue::Instance();
    // Native events are turned into messages one at a time, only when the queue is empty, so a
    // handler sees the state of the moment its message was made (a press that starts a window
    // move still finds the button down). Every few messages the native side gets a turn anyway.
    static int sincePoll = 0;
    if (++sincePoll < 16 && queue.Take(msg)) return true;
    sincePoll = 0;
    b->PollEvents();
    return queue.Take(msg) || queue.TakePaint(msg);
}

bool Platform::GetMessage(Message& msg) {
    for (;;) {
        PlatformBackend* b = Backend();
        if (!b) {
            msg = Message{nullptr, WM_QUIT, 0, 0};
            return false;
        }
        if (PeekMessage(msg)) return msg.message != WM_QUIT;
        b->WaitForEvents();
    }
}

LRESULT Platform::DispatchMessage(const Message& msg) {
    std::shared_ptr<NativeWindow> window = MessageQueue::Instance().Find(msg.window);
    if (!window || window->IsDestroyed()) return 0;
    if (msg.message == kEnableMessage) {
        window->Enable(msg.wParam != 0);
        return 0;
    }
    if (msg.message != WM_PAINT) return window->Send(msg.message, msg.wParam, msg.lParam);
    window->paintBegun_ = false;
    LRESULT r = window->Send(WM_PAINT, 0, 0);
    // A window that does not paint is validated, or it would be asked again at once.
    if (!window->paintBegun_) MessageQueue::Instance().TakeUpdate(window.get());
    return r;
}

LRESULT Platform::SendMessage(NativeWindow* window, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<NativeWindow> w = MessageQueue::Instance().Find(window);
    return w ? w->Send(msg, wParam, lParam) : 0;
}

int Platform::ProcessPending() {
    int count = 0;
    Message msg;
    // Bounded, so that a window that invalidates itself in every paint cannot hold the caller.
    for (int guard = 0; guard < 100000 && PeekMessage(msg); ++guard) {
        if (msg.message == WM_QUIT) {
            MessageQueue::Instance().PostQuit(
                static_cast<int>(msg.wParam)); // for the loop that owns it
            break;
        }
        DispatchMessage(msg);
        ++count;
    }
    return count;
}

int Platform::PumpOnce(bool wait) {
    PlatformBackend* b = Backend();
    if (!b) return 0;
    int n = ProcessPending();
    if (n == 0 && wait) {
        b->WaitForEvents();
        n = ProcessPending();
    }
    return n;
}

NativeWindow* Platform::GetCapture() {
    return InputState::Instance().capture;
}

NativeWindow* Platform::GetFocusWindow() {
    return InputState::Instance().focus;
}

bool Platform::IsKeyDown(int virtualKey) {
    return InputState::Instance().IsKeyDown(virtualKey);
}

WPARAM Platform::GetMouseKeys() {
    return InputState::Instance().MouseKeys();
}

Point Platform::GetCursorPos() {
    PlatformBackend* b = Backend();
    return b ? b->CursorPos() : Point{};
}

Rect Platform::GetScreenRect() {
    PlatformBackend* b = Backend();
    return b ? b->ScreenRect() : Rect{};
}

Rect Platform::GetWorkArea(Point near) {
    PlatformBackend* b = Backend();
    return b ? b->WorkArea(near) : Rect{};
}

bool Platform::HasCompositor() {
    PlatformBackend* b = Backend();
    return b && b->HasCompositor();
}

unsigned Platform::GetDoubleClickTime() {
    PlatformBackend* b = Backend();
    return b ? b->DoubleClickTime() : 500;
}

uint64_t Platform::NowMs() {
    PlatformBackend* b = Backend();
    return b ? b->NowMs() : 0;
}

uint32_t Platform::StartPeriodicTimer(uint32_t periodMs, std::function<bool(uint32_t id)> tick) {
    PlatformBackend* b = Backend();
    if (!b) return 0;
    return PeriodicTimers::Instance().Start(periodMs, std::move(tick), b->ManualPeriodicTimers());
}

bool Platform::StopPeriodicTimer(uint32_t id, bool wait) {
    return PeriodicTimers::Instance().Stop(id, wait);
}

bool Platform::WakePeriodicTimer(uint32_t id) {
    return PeriodicTimers::Instance().Wake(id);
}

std::unique_ptr<ToolTipWindow> Platform::CreateToolTip(NativeWindow* owner) {
    PlatformBackend* b = Backend();
    if (!b || (owner && !IsWindow(owner))) return nullptr;
    return b->NewToolTip(owner);
}

std::unique_ptr<NativeEdit> Platform::CreateEdit(NativeWindow* parent) {
    PlatformBackend* b = Backend();
    if (!b || !IsWindow(parent)) return nullptr;
    return b->NewEdit(parent);
}

bool Platform::SetClipboardText(const std::string& text) {
    PlatformBackend* b = Backend();
    return b && b->SetClipboardText(text);
}

bool Platform::GetClipboardText(std::string& text) {
    PlatformBackend* b = Backend();
    return b && b->GetClipboardText(text);
}

} // namespace Tolva
