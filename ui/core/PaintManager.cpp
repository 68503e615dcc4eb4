#include "ui/core/PaintManager.h"

#include "ui/controls/MScroll.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/MAirBladder.h"
#include "ui/core/MControl.h"
#include "ui/core/MPanel.h"
#include "ui/core/MWindow.h"
#include "ui/core/Manager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/MRender.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace Tolva {
namespace {

constexpr int kLibraryFontId = 106;

// True when `control` is `ancestor` or lies below it.
bool IsWithin(const MControl* control, const MControl* ancestor) {
    for (const MControl* c = control; c; c = c->GetParentControl())
        if (c == ancestor) return true;
    return false;
}

Point PointOf(LPARAM l) {
    return {GetXLParam(l), GetYLParam(l)};
}

} // namespace

PaintManager::PaintManager() {
    images_.SetFolder(Manager::GetSkinFolder());
    MessageBanner::Hooks hooks;
    hooks.startTimer = [this](uint32_t id, uint32_t ms) {
        if (hwnd_ && Platform::IsWindow(hwnd_)) hwnd_->SetTimer(id, ms);
    };
    hooks.stopTimer = [this](uint32_t id) {
        if (hwnd_ && Platform::IsWindow(hwnd_)) hwnd_->KillTimer(id);
    };
    hooks.repaint = [this](const Rect* rect) {
        if (hwnd_) Platform::InvalidateRect(hwnd_, rect);
    };
    hooks.clientRect = [this] { return hwnd_ ? hwnd_->GetClientRect() : Rect{}; };
    banner_.SetHooks(std::move(hooks));
}

PaintManager::~PaintManager() {
    // Ticks call back into this object: stop them and let a running one end before anything goes.
    QZTimer::KillTimer();
    WaitForTicks();
    DestroyData();
    ClearAllControls();
    ReleaseGraveyard();
    if (surface_) cairo_surface_destroy(surface_);
}

void PaintManager::Init(MWindow* window, NativeWindow* hwnd, MObject* host) {
    window_ = window;
    hwnd_ = hwnd;
    host_ = host;
    windowThread_ = std::this_thread::get_id();
    caret_.Bind(hwnd);
    images_.SetFolder(Manager::GetSkinFolder());
    // Private fonts go in before any text is laid out.
    static const char* kFonts[] = {"OpenSans-Regular.ttf", "OpenSans-Light.ttf",
                                   "OpenSans-Semibold.ttf", "OpenSans-ExtraBold.ttf"};
    static std::once_flag once;
    std::call_once(once, [this] {
        for (const char* f : kFonts) {
            const std::string path = Manager::GetFontFolder() + f;
            if (access(path.c_str(), R_OK) == 0) FontRegistry::Instance().AddFontFile(path);
        }
        // The library's own font, when the skin carries it.
        AddGDITempFont(kLibraryFontId);
    });
    auto set = [this](MControl* c) {
        c->SetManager(this);
        return false;
    };
    areas_.ForEach(set);
    controls_.ForEach(set);
}

MControl* PaintManager::CreateControl(int kind, MObject* parent, const std::string& className,
                                      unsigned id, const Rect& rect, const std::string& title,
                                      bool visible, bool enabled) {
    std::unique_ptr<MControl> c = ControlFactory::Create(ControlFactory::Host::Dialog, className,
                                                         parent, id, rect, title, visible, enabled);
    if (!c) return nullptr;
    return AddControl(std::move(c), kind);
}

MControl* PaintManager::AddControl(std::unique_ptr<MControl> control, int kind) {
    if (!control) return nullptr;
    if (!control->GetParantObject()) control->SetParent(host_);
    control->SetManager(this);
    return (kind == 0 ? areas_ : controls_).Append(std::move(control));
}

bool PaintManager::RemoveControl(MControl* control) {
    std::unique_ptr<MControl> owned = controls_.Detach(control);
    if (!owned) owned = areas_.Detach(control);
    if (!owned) return false;
    ForgetControl(control);
    Bury(std::move(owned));
    return true;
}

void PaintManager::ClearAllControls() {
    ClearControls();
    ClearAreaControls();
}

void PaintManager::ClearAreaControls() {
    auto items = areas_.DetachAll();
    for (auto& c : items) {
        ForgetControl(c.get());
        Bury(std::move(c));
    }
}

void PaintManager::ClearControls() {
    auto items = controls_.DetachAll();
    for (auto& c : items) {
        ForgetControl(c.get());
        Bury(std::move(c));
    }
}

MControl* PaintManager::GetControl(unsigned id) const {
    MControl* found = nullptr;
    auto search = [&](MControl* c) {
        found = c->GetControlID() == id ? c : c->GetControl(id);
        return found != nullptr;
    };
    if (!controls_.ForEach(search)) areas_.ForEach(search);
    return found;
}

void PaintManager::ForgetControl(MControl* control) {
    if (!control) return;
    auto within = [control](MControl* c) { return IsWithin(c, control); };
    {
        // Routing on the window thread and focus queries elsewhere see the control gone at once.
        std::lock_guard guard(stateLock_);
        if (IsWithin(hover_, control)) hover_ = nullptr;
        if (IsWithin(focus_, control)) focus_ = nullptr;
        if (IsWithin(dropTarget_, control)) dropTarget_ = nullptr;
    }
    if (IsWithin(dynamic_cast<MControl*>(caret_.GetOwner()), control)) caret_.Release();
    drag_.Forget(within);
    {
        std::lock_guard guard(pendingLock_);
        std::erase_if(pendingAnimation_, within);
    }
    timers_.Forget(hwnd_, within);
}

void PaintManager::Bury(std::unique_ptr<MControl> control) {
    if (!control) return;
    bool first = false;
    {
        std::lock_guard guard(graveyardLock_);
        first = graveyard_.empty();
        graveyard_.push_back(std::move(control));
    }
    // Removed outside this window's message handling: the next message releases it, so one is
    // sent on its way.
    NativeWindow* w = hwnd_;
    if (first && dispatchDepth_ == 0 && w && Platform::IsWindow(w))
        Platform::PostMessage(w, kDeferredUpdateMessage, 0, 0);
}

void PaintManager::ReleaseGraveyard() {
    std::vector<std::unique_ptr<MControl>> dead;
    {
        std::lock_guard guard(graveyardLock_);
        dead.swap(graveyard_);
    }
    if (dead.empty()) return;
    {
        // Waits for a tick in progress; afterwards no tick can reach the dead controls.
        std::lock_guard guard(animationLock_);
        std::erase_if(animation_, [&](MControl* c) {
            for (const auto& d : dead)
                if (IsWithin(c, d.get())) return true;
            return false;
        });
    }
    dead.clear();
}

// ---- routing ----

LRESULT PaintManager::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    ++dispatchDepth_;
    const LRESULT result = RouteWindowMessage(msg, wparam, lparam);
    // Controls removed while handling the message go now, when no walk holds them.
    if (--dispatchDepth_ == 0) ReleaseGraveyard();
    return result;
}

LRESULT PaintManager::RouteWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kDeferredUpdateMessage) {
        std::vector<std::function<void()>> work;
        {
            std::lock_guard guard(deferredLock_);
            work.swap(deferred_);
        }
        for (auto& w : work)
            w();
        return 1;
    }
    if (controls_.ForEach(
            [&](MControl* c) { return c->OnWindowMessage(msg, wparam, lparam) != 0; }))
        return 0;
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 1;
    case WM_GETMINMAXINFO:
        return 1;
    case WM_CHAR:
        OnChar(wparam, lparam);
        return 1;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION: {
        // Input-method text goes where typed characters go: a nested focus control or its parents.
        for (MControl* c = focus_; c && c->GetParentControl(); c = c->GetParentControl())
            if (c->IsParentVisible() && c->IsEnabled() && c->OnWindowMessage(msg, wparam, lparam))
                return 1;
        // Text nobody took must not reach a control focused later.
        std::string dropped;
        if (msg == WM_IME_COMPOSITION && (lparam & GCS_RESULTSTR) && hwnd_)
            hwnd_->TakeImeResult(dropped);
        return 1;
    }
    case WM_CREATE:
    case WM_DESTROY:
    case WM_SIZE:
    case WM_MOUSEHOVER:
        return 1;
    case WM_NCDESTROY:
        DestroyData();
        return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnKeyDown(static_cast<unsigned>(wparam)) ? 1 : 0;
    case WM_KEYUP:
        return OnKeyUp(static_cast<unsigned>(wparam)) ? 1 : 0;
    case WM_TIMER:
        OnTimer(static_cast<uint32_t>(wparam));
        return 1;
    case WM_MOUSEMOVE:
        OnMouseMove(wparam, PointOf(lparam));
        return 1;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wparam, PointOf(lparam));
        return 1;
    case WM_LBUTTONUP:
        OnLButtonUp(wparam, PointOf(lparam));
        return 1;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        OnButton(msg, wparam, PointOf(lparam));
        return 1;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wparam, lparam);
        return 1;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 1;
    default:
        return 0;
    }
}

void PaintManager::OnMouseMove(WPARAM flags, Point pt) {
    if (!tracking_ && hwnd_) {
        hwnd_->TrackMouse(true, 400);
        tracking_ = true;
    }
    if (drag_.IsPending() && (flags & MK_LBUTTON) && drag_.TryStart(pt)) {
        if (captured_ && hwnd_) hwnd_->ReleaseCapture();
        captured_ = false;
        if (hwnd_) hwnd_->SetCapture();
        if (CIDataObject* data = drag_.GetData()) DragEnter(*data, pt);
        InvalidateRect(hwnd_ ? hwnd_->GetClientRect() : Rect{}, false);
        return;
    }
    drag_.Track(pt);
    if (drag_.IsDragging()) {
        // The drag image follows the pointer.
        if (CIDataObject* data = drag_.GetData()) DragOver(*data, pt);
        if (hwnd_) Platform::InvalidateRect(hwnd_, nullptr);
        return;
    }
    if (MControl* h = hover_;
        h && h->PtInRect(pt) && h->OnCheckMouseResponse(flags, pt) && tracking_) {
        h->OnMouseMove(static_cast<unsigned>(flags), pt);
        return;
    }
    ClearTooltip();
    if (pressed_) {
        // The pressed control keeps the mouse until the release.
        if (MControl* h = hover_) h->OnMouseMove(static_cast<unsigned>(flags), pt);
        return;
    }
    if (!tracking_) {
        hover_ = nullptr;
        return;
    }
    MControl* found = nullptr;
    controls_.ForEach([&](MControl* c) {
        c->OnMouseMove(static_cast<unsigned>(flags), pt);
        if (c->IsVisible() && c->GetRresponse() && c->PtInRect(pt)) found = c;
        return false;
    });
    hover_ = found;
}

void PaintManager::HoverAt(WPARAM flags, Point pt) {
    // A press can come before any motion over its control (a fast click, the first click after
    // the window appeared, a touch screen): find the control under it, inside panels too, as a
    // move to the same point would.
    OnMouseMove(flags & ~WPARAM(MK_LBUTTON | MK_RBUTTON), pt);
}

void PaintManager::OnLButtonDown(WPARAM flags, Point pt) {
    pressed_ = false;
    HoverAt(flags, pt);
    // Focus goes to the innermost control under the pointer, inside panels and pages too.
    MControl* target = GetDeepHoverControl();
    if (focus_ && focus_ != target) {
        MControl* old = focus_;
        focus_ = nullptr;
        old->SetControlFocus(false);
    }
    MControl* c = hover_;
    if (c && c->IsVisible() && c->GetRresponse() && c->PtInRect(pt) &&
        c->OnCheckMouseResponse(static_cast<unsigned>(flags), pt)) {
        if (c->IsDragDrop() && c->IsEnabled()) drag_.Arm(c, c->GetControlDropBitmap(), pt);
        pressed_ = true;
        if (target && focus_ != target) SetFocusControl(target);
        const int handled = c->OnLButtonDown(static_cast<unsigned>(flags), pt);
        if (!captured_ && hover_ == c && hwnd_) {
            hwnd_->SetCapture();
            captured_ = true;
            return;
        }
        if (handled) return;
    }
    if (windowDrag_ && hwnd_) {
        if (captured_) hwnd_->ReleaseCapture();
        captured_ = false;
        hwnd_->BeginMoveDrag(hwnd_->ClientToScreen(pt));
    }
}

MControl* PaintManager::GetDeepHoverControl() const {
    MControl* c = hover_;
    for (int depth = 0; c && depth < 64; ++depth) {
        MControl* inner = c->GetHoverChild();
        if (!inner || !inner->IsVisible() || !inner->IsEnabled()) break;
        c = inner;
    }
    return c;
}

void PaintManager::OnLButtonUp(WPARAM flags, Point pt) {
    if (captured_ && hwnd_) hwnd_->ReleaseCapture();
    captured_ = false;
    pressed_ = false;
    if (drag_.IsDragging()) {
        EndDrag(pt, drag_.Decide(false, Platform::GetMouseKeys() & ~WPARAM(MK_LBUTTON)) ==
                        CIDropSource::Decision::Drop);
        return;
    }
    drag_.Finish();
    MControl* c = hover_;
    if (c && c->IsVisible() && c->GetRresponse()) {
        const Rect before = c->GetRect();
        c->OnLButtonUp(static_cast<unsigned>(flags), pt);
        if (!before.Contains(pt) && hover_ == c) hover_ = nullptr;
    }
}

void PaintManager::OnButton(uint32_t msg, WPARAM flags, Point pt) {
    if (msg != WM_RBUTTONUP && !pressed_) HoverAt(flags, pt);
    MControl* c = hover_;
    if (!c || !c->IsVisible() || !c->GetRresponse()) return;
    const auto f = static_cast<unsigned>(flags);
    switch (msg) {
    case WM_LBUTTONDBLCLK:
        if (!c->PtInRect(pt)) return;
        pressed_ = true;
        c->OnLButtonDblClk(f, pt);
        if (!captured_ && hwnd_) {
            hwnd_->SetCapture();
            captured_ = true;
        }
        break;
    case WM_RBUTTONDOWN:
        if (c->PtInRect(pt)) c->OnRButtonDown(f, pt);
        break;
    case WM_RBUTTONUP:
        c->OnRButtonUp(f, pt);
        break;
    case WM_RBUTTONDBLCLK:
        if (c->PtInRect(pt)) c->OnRButtonDblClk(f, pt);
        break;
    default:
        break;
    }
}

void PaintManager::OnMouseLeave() {
    ClearTooltip();
    tracking_ = false;
    if (pressed_ || drag_.IsDragging()) return;
    if (hover_) {
        MControl* c = hover_;
        hover_ = nullptr;
        c->OnMouseMove(0, Point{-1, -1});
    }
}

void PaintManager::OnMouseWheel(WPARAM wparam, LPARAM lparam) {
    const Point pt = hwnd_ ? hwnd_->ScreenToClient(PointOf(lparam)) : PointOf(lparam);
    MControl* c = ControlAt(pt);
    if (!c) c = hover_;
    if (c) c->OnMouseWheel(GetWheelDelta(wparam), static_cast<unsigned>(LoWord(wparam)), pt);
}

MControl* PaintManager::ControlAt(Point pt) const {
    MControl* found = nullptr;
    controls_.ForEachReverse([&](MControl* c) {
        if (c->IsVisible() && c->GetRresponse() && c->PtInRect(pt)) found = c;
        return found != nullptr;
    });
    return found;
}

void PaintManager::EndDrag(Point pt, bool drop) {
    std::unique_ptr<CIDataObject> data = drag_.Finish();
    if (captured_ && hwnd_) hwnd_->ReleaseCapture();
    captured_ = false;
    if (data) {
        if (drop)
            Drop(*data, pt);
        else
            DragLeave();
    }
    if (hwnd_) Platform::InvalidateRect(hwnd_, nullptr);
}

int PaintManager::DragEnter(CIDataObject& data, Point pt) {
    return DragOver(data, pt);
}

int PaintManager::DragOver(CIDataObject& data, Point pt) {
    MControl* target = ControlAt(pt);
    dropTarget_ = target != data.GetSource() ? target : nullptr;
    const int effect = dropTarget_ ? CIDropSource::EffectMove : CIDropSource::EffectNone;
    if (hwnd_) hwnd_->SetCursor(CIDropSource().GiveFeedback(effect));
    return effect;
}

void PaintManager::DragLeave() {
    dropTarget_ = nullptr;
    if (hwnd_) hwnd_->SetCursor(CursorShape::Arrow);
}

int PaintManager::Drop(CIDataObject& data, Point pt) {
    DragOver(data, pt);
    MControl* target = dropTarget_;
    DragLeave();
    if (!target || !data.GetSource()) return CIDropSource::EffectNone;
    return target->OnControlDrop(data.GetSource(), pt) ? CIDropSource::EffectMove
                                                       : CIDropSource::EffectNone;
}

unsigned PaintManager::ModifierNumber() {
    unsigned m = 0;
    if (Platform::IsKeyDown(VK_MENU))
        m = 18;
    else if (Platform::IsKeyDown(VK_SHIFT))
        m = 16;
    if (Platform::IsKeyDown(VK_CONTROL)) m |= 17;
    return m;
}

bool PaintManager::OnKeyDown(unsigned key) {
    const unsigned mods = ModifierNumber();
    if (key == VK_ESCAPE && drag_.IsDragging()) {
        EndDrag(drag_.GetLastMove(), false);
        return true;
    }
    // A focused control inside a panel or page has the first go.
    MControl* focus = focus_;
    if (focus && focus->GetParentControl() && focus->IsParentVisible() &&
        focus->OnKeyDown(key, 1, mods))
        return true;
    MControl* hover = hover_;
    if (hover && hover->OnKeyDown(key, 1, mods)) return true;
    return controls_.ForEach(
        [&](MControl* c) { return c != hover_ && c->OnKeyDown(key, 1, mods); });
}

bool PaintManager::OnChar(WPARAM ch, LPARAM lparam) {
    // Top-level controls were offered the message already; a nested focus control, or else the
    // control under the pointer, and then their parents get it here.
    MControl* target = focus_;
    if (!target) target = GetDeepHoverControl();
    for (MControl* c = target; c && c->GetParentControl(); c = c->GetParentControl()) {
        if (!c->IsParentVisible() || !c->IsEnabled()) continue;
        if (c->OnWindowMessage(WM_CHAR, ch, lparam)) return true;
    }
    return false;
}

bool PaintManager::OnKeyUp(unsigned key) {
    const unsigned mods = ModifierNumber();
    MControl* target = focus_ ? focus_ : hover_;
    for (MControl* c = target; c; c = c->GetParentControl()) {
        if (auto* panel = dynamic_cast<MPanel*>(c); panel && panel->IsEnabled())
            if (panel->OnControlKeyUp(key, 1, mods)) return true;
    }
    return false;
}

bool PaintManager::PreTranslateMessage(const Message& msg) {
    if (msg.window != hwnd_) return false;
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_TAB) {
        const unsigned mods = ModifierNumber();
        if (mods == 0) return MoveFocus(true);
        if (mods == 16) return MoveFocus(false);
    }
    return false;
}

bool PaintManager::MoveFocus(bool forward) {
    // Every control that could take focus, depth-first in creation order.
    std::vector<MControl*> order;
    std::function<void(const ControlList&)> collect = [&](const ControlList& list) {
        list.ForEach([&](MControl* c) {
            order.push_back(c);
            collect(c->ControlsList());
            return false;
        });
    };
    collect(controls_);
    auto focusable = [](MControl* c) {
        return c->IsParentVisible() && c->IsEnabled() && c->IsTabStop();
    };
    const int n = static_cast<int>(order.size());
    int current = -1;
    for (int i = 0; i < n; ++i)
        if (order[static_cast<size_t>(i)] == focus_) current = i;
    MControl* next = nullptr;
    for (int step = 1; step <= n && !next; ++step) {
        int i = current < 0 ? (forward ? step - 1 : n - step)
                            : ((current + (forward ? step : -step)) % n + n) % n;
        if (focusable(order[static_cast<size_t>(i)])) next = order[static_cast<size_t>(i)];
    }
    if (!next) {
        // Nothing can take focus: the holder loses it; with no holder the key passes on.
        if (!focus_) return false;
        MControl* old = focus_;
        focus_ = nullptr;
        old->SetControlFocus(false);
        return true;
    }
    if (next == focus_) return false;
    SetFocusControl(next);
    return true;
}

void PaintManager::SetFocusControl(MControl* control) {
    if (control == focus_) return;
    MControl* old = nullptr;
    {
        std::lock_guard guard(stateLock_);
        old = focus_;
        focus_ = control;
    }
    if (old) old->SetControlFocus(false);
    if (control) control->SetControlFocus(true);
}

// ---- window timers ----

int PaintManager::SetTimer(MControl* control, uint32_t key, uint32_t elapseMs) {
    if (!control || !hwnd_) return 0;
    if (!IsWindowThread()) {
        RunOnWindowThread([this, control, key, elapseMs] {
            if (IsLiveControl(control)) timers_.Set(hwnd_, control, key, elapseMs);
        });
        return 1;
    }
    return timers_.Set(hwnd_, control, key, elapseMs);
}

int PaintManager::KillTimer(MControl* control, uint32_t key) {
    if (!IsWindowThread()) {
        RunOnWindowThread([this, control, key] { timers_.Kill(hwnd_, control, key); });
        return timers_.IsLive(control, key) ? 1 : 0;
    }
    return timers_.Kill(hwnd_, control, key);
}

int PaintManager::KillTimer(MControl* control) {
    if (!IsWindowThread()) {
        const int live = timers_.IsLive(control) ? 1 : 0;
        RunOnWindowThread([this, control] { timers_.Kill(hwnd_, control); });
        return live;
    }
    return timers_.Kill(hwnd_, control);
}

void PaintManager::ClearTimers() {
    timers_.Clear();
}

uint32_t PaintManager::GetNativeTimerId(MControl* control, uint32_t key) const {
    return timers_.NativeId(control, key);
}

bool PaintManager::IsControlTimerLive(MControl* control, uint32_t key) const {
    return timers_.IsLive(control, key);
}

void PaintManager::OnTimer(uint32_t id) {
    if (banner_.OnTimer(id)) return;
    if (id == Caret::kTimerId) {
        caret_.Toggle();
        return;
    }
    // The handlers may set or kill timers, so they run outside the table's lock; each one is
    // checked again in case an earlier handler killed it.
    for (const auto& [control, key] : timers_.Due(id))
        if (timers_.IsLive(control, key)) control->OnTimer(key);
}

// ---- animation timer ----

uint32_t PaintManager::SetMTimer(uint32_t periodMs) {
    if (animationTimer_) QZTimer::KillTimer(animationTimer_);
    animationTimer_ = QZTimer::SetTimer(periodMs, std::string(), 0);
    return animationTimer_;
}

int PaintManager::KillMTimer(uint32_t id) {
    if (id == animationTimer_) animationTimer_ = 0;
    return QZTimer::KillTimer(id);
}

void PaintManager::AddMTimer(MControl* control) {
    if (!control) return;
    {
        std::lock_guard guard(pendingLock_);
        if (std::find(pendingAnimation_.begin(), pendingAnimation_.end(), control) ==
            pendingAnimation_.end())
            pendingAnimation_.push_back(control);
    }
    WakeAnimation();
}

void PaintManager::RemoveMTimer(MControl* control) {
    {
        std::lock_guard guard(pendingLock_);
        std::erase(pendingAnimation_, control);
    }
    std::lock_guard guard(animationLock_);
    std::erase(animation_, control);
}

bool PaintManager::OnMTimer(uint32_t id) {
    if (id != animationTimer_ || id == 0) return true;
    // An exchange, as the waker's: of two read-modify-writes one sees the other, so either this
    // walk sees the waker's change or the waker sees the flag.
    animationIdle_.exchange(true);
    bool active = false;
    std::lock_guard guard(animationLock_);
    {
        std::lock_guard pending(pendingLock_);
        for (MControl* c : pendingAnimation_)
            if (std::find(animation_.begin(), animation_.end(), c) == animation_.end())
                animation_.push_back(c);
        pendingAnimation_.clear();
    }
    for (size_t i = 0; i < animation_.size(); ++i) {
        MControl* c = animation_[i];
        if (c->IsRunTimer() && c->IsParentVisible() && c->OnTimer()) active = true;
    }
    if (active) animationIdle_.store(false);
    return active;
}

void PaintManager::WakeAnimation() {
    if (!animationIdle_.exchange(false)) return;
    if (const uint32_t id = animationTimer_) QZTimer::WakeTimer(id);
}

// ---- painting ----

void PaintManager::Invalidate() {
    WakeAnimation();
    if (hwnd_) Platform::InvalidateRect(hwnd_, nullptr);
}

void PaintManager::InvalidateRect(const Rect& rect, bool erase) {
    WakeAnimation();
    if (!hwnd_) return;
    if (layered_)
        Platform::InvalidateRect(hwnd_, nullptr);
    else
        Platform::InvalidateRect(hwnd_, &rect);
}

void PaintManager::WalkDrawOrder(const std::function<bool(MControl*)>& fn) const {
    std::function<bool(MControl*)> walk = [&](MControl* c) {
        if (c->AreasList().ForEach(walk)) return true;
        if (fn(c)) return true;
        return c->ControlsList().ForEach(walk);
    };
    if (areas_.ForEach(walk)) return;
    controls_.ForEach(walk);
}

int PaintManager::OnControlUpdate(const Rect& rect, bool erase, MControl* control) {
    // A change that shows may be the start of an animation.
    WakeAnimation();
    if (IsWindowThread() || !hwnd_) return UpdateNowOnWindowThread(rect, erase, control);
    // Off the window thread (animation ticks, the worker): the window thread walks the lists.
    if (erase && control) control->SetUpdate(false, false);
    RunOnWindowThread(
        [this, rect, erase, control] { UpdateNowOnWindowThread(rect, erase, control); });
    return 1;
}

bool PaintManager::IsWindowThread() const {
    const std::thread::id t = windowThread_;
    return t == std::thread::id() || t == std::this_thread::get_id();
}

void PaintManager::RunOnWindowThread(std::function<void()> work) {
    if (!work) return;
    if (IsWindowThread()) {
        work();
        return;
    }
    bool first = false;
    {
        std::lock_guard guard(deferredLock_);
        first = deferred_.empty();
        deferred_.push_back(std::move(work));
    }
    NativeWindow* w = hwnd_;
    if (first && w) Platform::PostMessage(w, kDeferredUpdateMessage, 0, 0);
}

bool PaintManager::IsLiveControl(const MControl* control) const {
    if (!control) return false;
    bool found = false;
    WalkDrawOrder([&](MControl* c) {
        found = c == control;
        return found;
    });
    return found;
}

int PaintManager::UpdateNowOnWindowThread(const Rect& rect, bool erase, MControl* control) {
    Rect region = rect;
    bool found = control == nullptr;
    if (control) {
        // Whatever is drawn above the control and overlaps the area is drawn again too.
        bool after = false;
        WalkDrawOrder([&](MControl* c) {
            if (c == control) {
                // Only a control still in the tree is touched.
                found = after = true;
                if (erase) c->SetUpdate(false, false);
                return false;
            }
            if (after && c->IsVisible()) {
                const Rect r = c->GetRect();
                if (r.Intersects(rect)) {
                    c->SetUpdate(false, false);
                    region = region.Union(r);
                }
            }
            return false;
        });
    }
    if (!found) region = rect;
    InvalidateRect(region, erase);
    return 1;
}

void PaintManager::UpdateNow() {
    // Painting belongs to the window thread; elsewhere the posted repaint does it.
    if (!IsWindowThread() || !hwnd_ || !Platform::IsWindow(hwnd_)) return;
    const Rect pending = hwnd_->GetUpdateRect();
    if (!pending.IsEmpty()) hwnd_->Send(WM_PAINT);
}

void PaintManager::DrawBackground(cairo_t* cr, const Rect& client) {
    if (backImage_) {
        cairo_surface_t* s = backImage_->Surface(0);
        if (backMode_ == BackModeMID)
            MRender::DrawImageFrame(cr, s, client, 0, 0, backImage_->Width(), backImage_->Height(),
                                    backValue_);
        else
            MRender::DrawImagePart(cr, s, {0, 0, backImage_->Width(), backImage_->Height()}, 0, 0,
                                   backImage_->Width(), backImage_->Height());
        return;
    }
    MRender::DrawColor(cr, client, MRender::ColorRefToARGB(borderColor_, 0xFE));
    MRender::DrawColor(cr, client.Inflate(-1, -1), MRender::ColorRefToARGB(innerColor_, 0xFE));
}

void PaintManager::Render(const Rect& update) {
    if (!hwnd_) return;
    const Rect client = hwnd_->GetClientRect();
    if (client.IsEmpty()) return;
    if (!surface_ || cairo_image_surface_get_width(surface_) != client.Width() ||
        cairo_image_surface_get_height(surface_) != client.Height()) {
        if (surface_) cairo_surface_destroy(surface_);
        surface_ = MRender::CreateARGB32Bitmap(client.Width(), client.Height());
        if (!surface_) return;
    }
    const Rect clip = layered_ ? client : update.Intersect(client);
    if (clip.IsEmpty()) return;
    cairo_t* cr = cairo_create(surface_);
    cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr);
    // A background picture over the whole client replaces what was there, which is what clearing
    // and then blending it gives, at the cost of one copy instead of a clear and a blend.
    const bool covering = backImage_ && backImage_->Surface(0) &&
                          (backMode_ == BackModeMID || (backImage_->Width() >= client.Width() &&
                                                        backImage_->Height() >= client.Height()));
    {
        CairoStateGuard guard(cr);
        if (covering) {
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        } else {
            cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
            cairo_paint(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        }
        DrawBackground(cr, client);
    }
    auto draw = [&](MControl* c) {
        c->Draw(cr, clip);
        return false;
    };
    areas_.ForEach(draw);
    controls_.ForEach(draw);
    DrawCaret(cr);
    // Cairo keeps colour and alpha together, so no pixel ends up coloured with alpha 0 here.
    drag_.Draw(cr);
    banner_.Draw(cr, FindTempFont(defaultFont_));
    cairo_destroy(cr);
    if (colorKey_ != 0xFFFFFF) ApplyColorKey(clip);
}

void PaintManager::ApplyColorKey(const Rect& area) {
    const uint32_t key = MRender::ColorRefToARGB(colorKey_);
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int y = area.top; y < area.bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = area.left; x < area.right; ++x)
            if (row[x] == key) row[x] = 0;
    }
    cairo_surface_mark_dirty(surface_);
}

LRESULT PaintManager::OnPaint() {
    if (!hwnd_ || hwnd_->IsIconic()) return 0;
    Rect update;
    if (!hwnd_->BeginPaint(update) || update.IsEmpty()) return 0;
    Render(update);
    if (!surface_) return 0;
    const Rect client = hwnd_->GetClientRect();
    hwnd_->Present(surface_, layered_ ? client : update.Intersect(client));
    if (paintPauseMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(paintPauseMs_));
    return 1;
}

// ---- looks ----

const ImgResInfo* PaintManager::AddImgResInfo(const std::string& file, int frames) {
    return images_.Add(file, frames);
}

bool PaintManager::LoadBKImage(const std::string& file) {
    std::shared_ptr<Image> image = Image::Load(images_.FullPath(file));
    if (!image) return false;
    backImage_ = std::move(image);
    Invalidate();
    return true;
}

void PaintManager::SetBackMode(int mode, int value) {
    backMode_ = mode;
    backValue_ = value;
    Invalidate();
}

void PaintManager::SetBackColor(uint32_t inner, uint32_t border) {
    innerColor_ = inner;
    borderColor_ = border;
    Invalidate();
}

void PaintManager::SetLayeredWindow(bool on) {
    layered_ = on;
    if (hwnd_) hwnd_->SetLayered(on);
    Invalidate();
}

void PaintManager::SetScrollResID(int vertical, int horizontal) {
    scrollV_ = vertical;
    scrollH_ = horizontal;
    // Bars that exist take the new strips; new ones read them when they join.
    WalkDrawOrder([&](MControl* c) {
        if (auto* bar = dynamic_cast<MScroll*>(c))
            bar->SetScrollResID(bar->IsVertical() ? vertical : horizontal);
        return false;
    });
}

std::string PaintManager::AddTempFont(const std::string& family, const std::string& file) {
    const std::string added = FontRegistry::Instance().AddFontFile(file);
    return added.empty() ? std::string() : (family.empty() ? added : family);
}

std::string PaintManager::AddTempFont(const std::string& family, int resourceId) {
    return AddTempFont(family, images_.FullPath("res_" + std::to_string(resourceId) + ".ttf"));
}

bool PaintManager::AddGDITempFont(int resourceId) {
    return !AddTempFont(std::string(), resourceId).empty();
}

std::string PaintManager::FindTempFont(const std::string& name) {
    // Every control draws with the process-wide family; the name only matters when it is set.
    const std::string family = Manager::GetFontName().empty() ? name : Manager::GetFontName();
    return FontRegistry::Instance().HasFamily(family) ? family : std::string();
}

void PaintManager::ClearTempFont() {}

void PaintManager::SetWindowMaxSize(int cx, int cy) {
    maxSize_ = {cx, cy};
}

void PaintManager::SetWindowMixSize(int cx, int cy) {
    minSize_ = {cx, cy};
}

void PaintManager::SetMessage(const std::string& text, const Rect& rect, int level) {
    banner_.SetMessage(text, rect, level);
}

void PaintManager::SetProgress(int percent, const std::string& text, const Rect& rect) {
    banner_.SetProgress(percent, text, rect);
}

void PaintManager::SetTooltip(const std::string& text, const Rect& rect, unsigned controlId) {
    if (!IsWindowThread()) {
        RunOnWindowThread([this, text, rect, controlId] { SetTooltip(text, rect, controlId); });
        return;
    }
    tooltipId_ = controlId;
    if (!hwnd_) return;
    if (!tooltip_) tooltip_ = Platform::CreateToolTip(hwnd_);
    if (!tooltip_) return;
    tooltip_->Show(text, hwnd_->ClientToScreen(Point{rect.left, rect.bottom + 2}));
}

void PaintManager::ClearTooltip() {
    if (!IsWindowThread()) {
        RunOnWindowThread([this] { ClearTooltip(); });
        return;
    }
    tooltipId_ = 0;
    if (tooltip_) tooltip_->Hide();
}

void PaintManager::SetCursor(const char* name) {
    if (!hwnd_) return;
    const std::string n = name ? name : "";
    if (!IsWindowThread()) {
        RunOnWindowThread([this, n] { SetCursor(n.c_str()); });
        return;
    }
    hwnd_->SetCursor(n == "hand" || n == "IDC_HAND"     ? CursorShape::Hand
                     : n == "ibeam" || n == "IDC_IBEAM" ? CursorShape::IBeam
                                                        : CursorShape::Arrow);
}

void PaintManager::SetAirBladderMsg(const std::string& text, Point pt, int type, int mode) {
    if (!balloon_) {
        balloon_ = std::make_unique<MAirBladder>();
        balloon_->CreateBalloon(hwnd_);
        balloon_->LoadBKImage(images_.FullPath("img_tip_bk.png"));
        balloon_->LoadArrowLImage(images_.FullPath("img_tip_arrow_left.png"));
        balloon_->LoadArrowRImage(images_.FullPath("img_tip_arrow_right.png"));
        balloon_->LoadArrowTImage(images_.FullPath("img_tip_arrow_top.png"));
    }
    balloon_->SetAirBladderMsg(text, pt, type, mode);
}

int PaintManager::ShowAirBladder(bool show, void* owner) {
    if (owner) {
        if (show || owner == balloonOwner_)
            balloonOwner_ = owner;
        else
            return 0;
    }
    if (balloon_) balloon_->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    return 1;
}

MShadow* PaintManager::CreateShadow(int size, bool show) {
    if (!shadow_) shadow_ = std::make_unique<MShadow>();
    shadow_->SetSize(size);
    if (hwnd_) shadow_->Create(hwnd_);
    shadow_->SetShadowShow(show);
    return shadow_.get();
}

void PaintManager::CreateCaret(MObject* owner, int width, int height) {
    if (!IsWindowThread()) {
        RunOnWindowThread([this, owner, width, height] { CreateCaret(owner, width, height); });
        return;
    }
    caret_.Create(owner, width, height);
}

void PaintManager::ShowCaret(bool show) {
    if (!IsWindowThread()) {
        RunOnWindowThread([this, show] { ShowCaret(show); });
        return;
    }
    caret_.Show(show);
}

void PaintManager::SetCaretPos(Point pt) {
    if (!IsWindowThread()) {
        RunOnWindowThread([this, pt] { SetCaretPos(pt); });
        return;
    }
    caret_.SetPos(pt);
}

void PaintManager::DrawCaret(cairo_t* cr) {
    caret_.Draw(cr);
}

void PaintManager::DestroyData() {
    QZTimer::KillTimer();
    animationTimer_ = 0;
    ClearTimers();
    tooltip_.reset();
    tooltipId_ = 0;
    balloon_.reset();
    shadow_.reset();
    {
        std::lock_guard guard(stateLock_);
        hover_ = nullptr;
        focus_ = nullptr;
        dropTarget_ = nullptr;
    }
    pressed_ = tracking_ = captured_ = false;
    drag_.Finish();
    caret_.Bind(nullptr);
    hwnd_ = nullptr;
}

} // namespace Tolva
