#include "ui/platform/GtkNativeWindow.h"

#include <algorithm>

#include <gtk/gtk.h>

#include "ui/platform/InputState.h"
#include "ui/platform/KeyMap.h"
#include "ui/platform/MessageQueue.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

namespace Tolva {

namespace {

struct TimerData {
    GtkNativeWindow* window;
    uint32_t id;
};

gboolean DrawThunk(GtkWidget*, cairo_t* cr, gpointer self) {
    return static_cast<GtkNativeWindow*>(self)->OnDraw(cr) ? TRUE : FALSE;
}

gboolean EventThunk(GtkWidget*, GdkEvent* event, gpointer self) {
    return static_cast<GtkNativeWindow*>(self)->OnEvent(event) ? TRUE : FALSE;
}

const char* CursorName(CursorShape c) {
    switch (c) {
    case CursorShape::Hand:
        return "pointer";
    case CursorShape::IBeam:
        return "text";
    case CursorShape::Wait:
        return "wait";
    case CursorShape::Cross:
        return "crosshair";
    case CursorShape::SizeAll:
        return "move";
    case CursorShape::SizeWE:
        return "ew-resize";
    case CursorShape::SizeNS:
        return "ns-resize";
    case CursorShape::No:
        return "not-allowed";
    default:
        return "default";
    }
}

void SyncModifiers(guint state) {
    InputState& in = InputState::Instance();
    // The event state is the truth before this event; key events adjust it afterwards.
    if (!(state & GDK_SHIFT_MASK)) {
        in.SetKey(VK_LSHIFT, false);
        in.SetKey(VK_RSHIFT, false);
    } else if (!in.IsKeyDown(VK_SHIFT)) {
        in.SetKey(VK_LSHIFT, true);
    }
    if (!(state & GDK_CONTROL_MASK)) {
        in.SetKey(VK_LCONTROL, false);
        in.SetKey(VK_RCONTROL, false);
    } else if (!in.IsKeyDown(VK_CONTROL)) {
        in.SetKey(VK_LCONTROL, true);
    }
    if (!(state & GDK_MOD1_MASK)) {
        in.SetKey(VK_LMENU, false);
        in.SetKey(VK_RMENU, false);
    } else if (!in.IsKeyDown(VK_MENU)) {
        in.SetKey(VK_LMENU, true);
    }
}

// The activated popup that holds the grab, if any.
GtkNativeWindow* g_grabber = nullptr;

void ImCommitThunk(GtkIMContext*, gchar* text, gpointer self) {
    static_cast<GtkNativeWindow*>(self)->OnImCommit(text);
}

void ImPreeditThunk(GtkIMContext*, gpointer self) {
    static_cast<GtkNativeWindow*>(self)->OnImPreeditChanged();
}

bool IsX11() {
    GdkDisplay* d = gdk_display_get_default();
    // By type name: the X11 header's macros clash with our names.
    return d && g_strcmp0(G_OBJECT_TYPE_NAME(d), "GdkX11Display") == 0;
}

} // namespace

GtkNativeWindow::GtkNativeWindow(const WindowParams& params, WindowProc proc, void* self)
    : NativeWindow(params, proc, self) {
    // Menus, drop-downs and tips bypass the window manager; owned dialogs stay normal windows so
    // that they can take the keyboard.
    overrideRedirect_ = params.popup && params.toolWindow;
    widget_ = gtk_window_new(overrideRedirect_ ? GTK_WINDOW_POPUP : GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(widget_);
    GtkWindow* win = GTK_WINDOW(widget_);
    gtk_window_set_decorated(win, FALSE);
    gtk_window_set_resizable(win, TRUE);
    gtk_window_set_title(win, params.title.c_str());
    gtk_widget_set_app_paintable(widget_, TRUE);
    GdkScreen* screen = gtk_widget_get_screen(widget_);
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen);
        rgba && gdk_screen_is_composited(screen)) {
        gtk_widget_set_visual(widget_, rgba);
        perPixelAlpha_ = true;
    }
    if (params.toolWindow || params.popup || params.owner) {
        gtk_window_set_skip_taskbar_hint(win, TRUE);
        gtk_window_set_skip_pager_hint(win, TRUE);
    }
    if (overrideRedirect_)
        gtk_window_set_type_hint(win, GDK_WINDOW_TYPE_HINT_POPUP_MENU);
    else if (params.owner)
        gtk_window_set_type_hint(win, GDK_WINDOW_TYPE_HINT_DIALOG);
    if (params.topMost) gtk_window_set_keep_above(win, TRUE);
    // A transient window stays above its owner; a drop shadow must stay below it.
    if (auto* owner = dynamic_cast<GtkNativeWindow*>(params.owner);
        owner && !params.inputTransparent)
        gtk_window_set_transient_for(win, GTK_WINDOW(owner->Widget()));
    fixed_ = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(widget_), fixed_);
    gtk_widget_show(fixed_);
    gtk_widget_add_events(widget_, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                       GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK |
                                       GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK |
                                       GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK |
                                       GDK_FOCUS_CHANGE_MASK | GDK_STRUCTURE_MASK);
    gtk_widget_set_can_focus(widget_, TRUE);
    g_signal_connect(widget_, "draw", G_CALLBACK(DrawThunk), this);
    g_signal_connect(widget_, "event", G_CALLBACK(EventThunk), this);
    int w = std::max(1, rect_.Width()), h = std::max(1, rect_.Height());
    gtk_window_set_default_size(win, w, h);
    gtk_widget_set_size_request(fixed_, 1, 1);
    gtk_window_move(win, rect_.left, rect_.top);
    gtk_window_resize(win, w, h);
    ApplyInputShape();
}

void GtkNativeWindow::ApplyInputShape() {
    if (!widget_ || !inputTransparent_) return;
    cairo_region_t* none = cairo_region_create();
    gtk_widget_input_shape_combine_region(widget_, none);
    cairo_region_destroy(none);
}

void GtkNativeWindow::PlaceBelow(NativeWindow* other) {
    NativeWindow::PlaceBelow(other);
    auto* o = dynamic_cast<GtkNativeWindow*>(other);
    if (!widget_ || !o || !o->widget_) return;
    GdkWindow* mine = gtk_widget_get_window(widget_);
    GdkWindow* theirs = gtk_widget_get_window(o->widget_);
    if (mine && theirs && gdk_window_is_visible(mine)) gdk_window_restack(mine, theirs, FALSE);
}

GtkNativeWindow::~GtkNativeWindow() {
    DestroyNative();
}

void GtkNativeWindow::DestroyNative() {
    CaptureChanged(false);
    ReleasePopupGrab();
    if (im_) {
        g_signal_handlers_disconnect_by_data(im_, this);
        gtk_im_context_set_client_window(im_, nullptr);
        g_object_unref(im_);
        im_ = nullptr;
    }
    for (auto& [id, source] : sources_)
        g_source_remove(source);
    sources_.clear();
    if (widget_) {
        g_signal_handlers_disconnect_by_data(widget_, this);
        gtk_widget_destroy(widget_);
        g_object_unref(widget_);
        widget_ = nullptr;
        fixed_ = nullptr;
    }
    if (backing_) {
        cairo_surface_destroy(backing_);
        backing_ = nullptr;
    }
}

void GtkNativeWindow::SetTextInput(bool on) {
    NativeWindow::SetTextInput(on);
    if (!widget_) return;
    if (on && !im_) {
        im_ = gtk_im_multicontext_new();
        g_signal_connect(im_, "commit", G_CALLBACK(ImCommitThunk), this);
        g_signal_connect(im_, "preedit-changed", G_CALLBACK(ImPreeditThunk), this);
    }
    if (!im_) return;
    if (on) {
        gtk_widget_realize(widget_);
        gtk_im_context_set_client_window(im_, gtk_widget_get_window(widget_));
        gtk_im_context_focus_in(im_);
    } else {
        gtk_im_context_reset(im_);
        gtk_im_context_focus_out(im_);
    }
}

void GtkNativeWindow::SetTextInputRect(const Rect& caret) {
    NativeWindow::SetTextInputRect(caret);
    if (!im_) return;
    GdkRectangle r{caret.left, caret.top, caret.Width(), caret.Height()};
    gtk_im_context_set_cursor_location(im_, &r);
}

void GtkNativeWindow::OnImCommit(const char* text) {
    if (text) ImeCommit(text);
}

void GtkNativeWindow::OnImPreeditChanged() {
    if (!im_) return;
    gchar* text = nullptr;
    gint cursor = 0;
    gtk_im_context_get_preedit_string(im_, &text, nullptr, &cursor);
    ImePreedit(text ? text : "", cursor);
    g_free(text);
}

void GtkNativeWindow::Show(int command) {
    if (!widget_) return;
    GtkWindow* win = GTK_WINDOW(widget_);
    switch (command) {
    case SW_HIDE:
        ReleasePopupGrab();
        gtk_widget_hide(widget_);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        gtk_widget_show(widget_);
        gtk_window_iconify(win);
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
        gtk_window_set_focus_on_map(win, FALSE);
        gtk_widget_show(widget_);
        break;
    case SW_RESTORE:
        gtk_window_deiconify(win);
        gtk_window_present(win);
        break;
    default:
        if (command == SW_SHOWNORMAL && IsIconic()) gtk_window_deiconify(win);
        gtk_window_set_focus_on_map(win, !overrideRedirect_);
        gtk_widget_show(widget_);
        if (overrideRedirect_)
            GrabForPopup();
        else
            gtk_window_present(win);
        break;
    }
    NativeWindow::Show(command);
}

void GtkNativeWindow::GrabForPopup() {
    GdkWindow* gw = gtk_widget_get_window(widget_);
    if (!gw || grabbed_) return;
    if (g_grabber && g_grabber != this) g_grabber->Deactivate();
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gw));
    // Owner events: our other windows still get their own input, the rest comes here.
    if (gdk_seat_grab(seat, gw, GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr, nullptr, nullptr,
                      nullptr) != GDK_GRAB_SUCCESS)
        return;
    grabbed_ = true;
    captureGrab_ = false; // the seat has one grab: this one replaced it
    g_grabber = this;
    MessageQueue::Instance().Post(this, WM_ACTIVATE, WA_ACTIVE, 0);
}

void GtkNativeWindow::ReleasePopupGrab() {
    if (!grabbed_) return;
    grabbed_ = false;
    if (g_grabber == this) g_grabber = nullptr;
    if (GdkDisplay* d = gdk_display_get_default()) gdk_seat_ungrab(gdk_display_get_default_seat(d));
}

void GtkNativeWindow::CaptureChanged(bool captured) {
    GdkWindow* gw = widget_ ? gtk_widget_get_window(widget_) : nullptr;
    if (!captured) {
        if (!captureGrab_) return;
        captureGrab_ = false;
        if (!grabbed_ && gw)
            gdk_seat_ungrab(gdk_display_get_default_seat(gdk_window_get_display(gw)));
        return;
    }
    // While a button is held the implicit grab already sends every motion here; an activated
    // popup's grab covers the pointer too.
    const WPARAM held = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
    if (captureGrab_ || grabbed_ || !gw || !gdk_window_is_viewable(gw)) return;
    if (InputState::Instance().MouseKeys() & held) return;
    // Owner events: our other windows report their own input, which is then routed to the
    // capture; pointer input over other programs comes here.
    if (gdk_seat_grab(gdk_display_get_default_seat(gdk_window_get_display(gw)), gw,
                      GDK_SEAT_CAPABILITY_ALL_POINTING, TRUE, nullptr, nullptr, nullptr,
                      nullptr) == GDK_GRAB_SUCCESS)
        captureGrab_ = true;
}

void GtkNativeWindow::Deactivate() {
    if (!grabbed_) return;
    ReleasePopupGrab();
    MessageQueue::Instance().Post(this, WM_ACTIVATE, WA_INACTIVE, 0);
}

void GtkNativeWindow::SetWindowRect(const Rect& screen) {
    if (widget_) {
        gtk_window_move(GTK_WINDOW(widget_), screen.left, screen.top);
        gtk_window_resize(GTK_WINDOW(widget_), std::max(1, screen.Width()),
                          std::max(1, screen.Height()));
    }
    NativeWindow::SetWindowRect(screen);
}

void GtkNativeWindow::SetTitle(const std::string& title) {
    NativeWindow::SetTitle(title);
    if (widget_) gtk_window_set_title(GTK_WINDOW(widget_), title.c_str());
}

void GtkNativeWindow::SetIcon(cairo_surface_t* icon) {
    NativeWindow::SetIcon(icon);
    if (!widget_) return;
    GdkPixbuf* pixbuf =
        icon ? gdk_pixbuf_get_from_surface(icon, 0, 0, cairo_image_surface_get_width(icon),
                                           cairo_image_surface_get_height(icon))
             : nullptr;
    gtk_window_set_icon(GTK_WINDOW(widget_), pixbuf);
    if (pixbuf) g_object_unref(pixbuf);
}

bool GtkNativeWindow::EntryHasFocus() const {
    if (!widget_) return false;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(widget_));
    return focus && GTK_IS_ENTRY(focus) && gtk_widget_get_visible(focus);
}

void GtkNativeWindow::SetFocus() {
    if (widget_) {
        // Taking the focus back from an edit box makes it report the loss.
        if (EntryHasFocus()) gtk_window_set_focus(GTK_WINDOW(widget_), nullptr);
        if (!popup_ && visible_ && !gtk_window_is_active(GTK_WINDOW(widget_))) {
            gtk_window_present(GTK_WINDOW(widget_));
            RaiseOwnedWindows();
        }
    }
    NativeWindow::SetFocus();
}

void GtkNativeWindow::BringToTop() {
    if (widget_ && visible_) gtk_window_present(GTK_WINDOW(widget_));
    RaiseOwnedWindows();
}

void GtkNativeWindow::RaiseOwnedWindows() {
    // Without a window manager nothing keeps an owned window (a modal message box) above its
    // raised owner, and the owner would wait for a dialog no one can see.
    for (const std::shared_ptr<NativeWindow>& w : MessageQueue::Instance().Windows())
        if (w.get() != this && w->GetOwnerWindow() == this && w->IsVisible() && !w->IsDestroyed())
            w->BringToTop();
}

void GtkNativeWindow::Present(cairo_surface_t* image, const Rect& area) {
    int w = rect_.Width(), h = rect_.Height();
    if (!widget_ || !image || w <= 0 || h <= 0) return;
    Rect r = area.Intersect(GetClientRect());
    if (r.IsEmpty()) return;
    cairo_surface_flush(image);
    // The callers keep their picture and only draw into it right before presenting it, so the
    // window shows that picture itself: a copy would cost a whole window of memory and a blit
    // per frame.
    if (backing_ != image) {
        cairo_surface_t* previous = backing_;
        backing_ = cairo_surface_reference(image);
        if (previous) cairo_surface_destroy(previous);
        r = GetClientRect();
    }
    if (perPixelAlpha_ && layered_ && !inputTransparent_) {
        // Clear parts of a per-pixel-alpha window let the pointer through to what lies below.
        cairo_region_t* solid = gdk_cairo_region_create_from_surface(backing_);
        gtk_widget_input_shape_combine_region(widget_, solid);
        cairo_region_destroy(solid);
    }
    GdkWindow* gw = gtk_widget_get_window(widget_);
    if (gw && gdk_window_is_viewable(gw)) {
        // Put the frame on the screen now, as a copy to a window would, instead of at the next
        // tick of GTK's frame clock.
        cairo_rectangle_int_t box{r.left, r.top, r.Width(), r.Height()};
        cairo_region_t* region = cairo_region_create_rectangle(&box);
        GdkDrawingContext* ctx = gdk_window_begin_draw_frame(gw, region);
        OnDraw(gdk_drawing_context_get_cairo_context(ctx));
        gdk_window_end_draw_frame(gw, ctx);
        cairo_region_destroy(region);
        // Edit boxes lying over the area draw themselves again on top.
        GList* children = gtk_container_get_children(GTK_CONTAINER(fixed_));
        if (children) gtk_widget_queue_draw_area(widget_, r.left, r.top, r.Width(), r.Height());
        g_list_free(children);
    } else {
        gtk_widget_queue_draw_area(widget_, r.left, r.top, r.Width(), r.Height());
    }
}

bool GtkNativeWindow::OnDraw(void* cairo) {
    auto* cr = static_cast<cairo_t*>(cairo);
    bool alpha = perPixelAlpha_ && layered_;
    if (!alpha) {
        // Opaque windows show every pixel as it is, over black.
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    } else {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    }
    if (backing_) {
        cairo_set_source_surface(cr, backing_, 0, 0);
        cairo_paint(cr);
    } else if (alpha) {
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        cairo_paint(cr);
    }
    if (backing_) ++framesShown_;
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    return false; // the edit boxes draw on top
}

void GtkNativeWindow::SetLayered(bool layered) {
    NativeWindow::SetLayered(layered);
    if (!widget_) return;
    if (!layered) gtk_widget_input_shape_combine_region(widget_, nullptr);
    ApplyInputShape();
    gtk_widget_queue_draw(widget_);
}

void GtkNativeWindow::SetOpacity(uint8_t alpha) {
    NativeWindow::SetOpacity(alpha);
    if (widget_) gtk_widget_set_opacity(widget_, alpha / 255.0);
}

void GtkNativeWindow::SetCursor(CursorShape cursor) {
    if (cursor == cursor_) return;
    NativeWindow::SetCursor(cursor);
    ApplyCursor();
}

void GtkNativeWindow::ApplyCursor() {
    if (!widget_) return;
    GdkWindow* gw = gtk_widget_get_window(widget_);
    if (!gw) return;
    GdkCursor* c = gdk_cursor_new_from_name(gdk_window_get_display(gw), CursorName(cursor_));
    gdk_window_set_cursor(gw, c);
    if (c) g_object_unref(c);
}

void GtkNativeWindow::BeginMoveDrag(Point screen) {
    if (!widget_ || !InputState::Instance().IsKeyDown(VK_LBUTTON)) return;
    if (IsX11()) {
        // Follow the pointer ourselves: works with or without a window manager.
        dragging_ = true;
        dragLast_ = screen;
    } else {
        gtk_window_begin_move_drag(GTK_WINDOW(widget_), 1, screen.x, screen.y, lastPressTime_);
    }
}

bool GtkNativeWindow::StartNativeTimer(uint32_t id, uint32_t elapseMs) {
    StopNativeTimer(id);
    auto* data = new TimerData{this, id};
    unsigned source = g_timeout_add_full(
        G_PRIORITY_DEFAULT, elapseMs,
        [](gpointer p) -> gboolean {
            auto* d = static_cast<TimerData*>(p);
            d->window->NativeTimerFired(d->id);
            return G_SOURCE_CONTINUE;
        },
        data, [](gpointer p) { delete static_cast<TimerData*>(p); });
    if (source == 0) return false;
    sources_[id] = source;
    return true;
}

void GtkNativeWindow::StopNativeTimer(uint32_t id) {
    auto it = sources_.find(id);
    if (it == sources_.end()) return;
    g_source_remove(it->second);
    sources_.erase(it);
}

bool GtkNativeWindow::OnEvent(void* e) {
    auto* event = static_cast<GdkEvent*>(e);
    InputState& in = InputState::Instance();
    GdkWindow* own = gtk_widget_get_window(widget_);
    switch (event->type) {
    case GDK_CONFIGURE: {
        auto* c = reinterpret_cast<GdkEventConfigure*>(event);
        int x = c->x, y = c->y;
        gtk_window_get_position(GTK_WINDOW(widget_), &x, &y);
        Rect r{x, y, x + c->width, y + c->height};
        if (r != rect_) NativeMoved(r);
        return false;
    }
    case GDK_WINDOW_STATE: {
        auto* s = reinterpret_cast<GdkEventWindowState*>(event);
        if (s->changed_mask & GDK_WINDOW_STATE_ICONIFIED)
            NativeIconic((s->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0);
        return false;
    }
    case GDK_MAP:
        ApplyCursor();
        ApplyInputShape();
        if (below_ && MessageQueue::Instance().IsLive(below_)) PlaceBelow(below_);
        return false;
    case GDK_GRAB_BROKEN:
        captureGrab_ = false;
        if (grabbed_) Deactivate();
        return false;
    case GDK_DELETE:
        MessageQueue::Instance().Post(this, WM_CLOSE, 0, 0);
        return true;
    case GDK_FOCUS_CHANGE: {
        if (overrideRedirect_) return false; // its grab is its activation
        auto* f = reinterpret_cast<GdkEventFocus*>(event);
        if (im_ && textInput_) {
            if (f->in)
                gtk_im_context_focus_in(im_);
            else
                gtk_im_context_focus_out(im_);
        }
        if (f->in) {
            MessageQueue::Instance().Post(this, WM_ACTIVATE, WA_ACTIVE, 0);
            if (in.focus != this) NativeWindow::SetFocus();
        } else {
            MessageQueue::Instance().Post(this, WM_ACTIVATE, WA_INACTIVE, 0);
            // Keys released elsewhere never reach us.
            for (int vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU})
                in.SetKey(vk, false);
        }
        return false;
    }
    case GDK_ENTER_NOTIFY: {
        auto* c = reinterpret_cast<GdkEventCrossing*>(event);
        if (c->window != own) return false;
        in.pointerWindow = this;
        in.SetCursorPos({static_cast<int>(c->x_root), static_cast<int>(c->y_root)});
        return false;
    }
    case GDK_LEAVE_NOTIFY: {
        auto* c = reinterpret_cast<GdkEventCrossing*>(event);
        if (c->window != own || c->detail == GDK_NOTIFY_INFERIOR) return false;
        if (c->mode != GDK_CROSSING_NORMAL && c->mode != GDK_CROSSING_UNGRAB) return false;
        NativePointerLeft();
        return false;
    }
    case GDK_MOTION_NOTIFY: {
        auto* m = reinterpret_cast<GdkEventMotion*>(event);
        Point screen{static_cast<int>(m->x_root), static_cast<int>(m->y_root)};
        in.SetCursorPos(screen);
        SyncModifiers(m->state);
        if (dragging_) {
            Rect r = rect_.Offset(screen.x - dragLast_.x, screen.y - dragLast_.y);
            dragLast_ = screen;
            gtk_window_move(GTK_WINDOW(widget_), r.left, r.top);
            NativeMoved(r);
            return true;
        }
        if (m->window != own) return false;
        in.pointerWindow = this;
        NativePointerMoved();
        PostMouse(WM_MOUSEMOVE, {static_cast<int>(m->x), static_cast<int>(m->y)}, in.MouseKeys());
        return true;
    }
    case GDK_BUTTON_PRESS:
    case GDK_BUTTON_RELEASE: {
        auto* b = reinterpret_cast<GdkEventButton*>(event);
        bool down = event->type == GDK_BUTTON_PRESS;
        if (down && g_grabber && g_grabber != this) g_grabber->Deactivate(); // pressed elsewhere
        if (down && grabbed_ && b->window == own &&
            !GetClientRect().Contains({static_cast<int>(b->x), static_cast<int>(b->y)})) {
            Deactivate(); // a press outside every window of ours ends the popup
            return true;
        }
        if (b->window != own) return false;
        if (b->button == 8 || b->button == 9) {
            // X11 names the back and forward side buttons 8 and 9.
            SyncModifiers(b->state);
            PostMouse(down ? WM_XBUTTONDOWN : WM_XBUTTONUP,
                      {static_cast<int>(b->x), static_cast<int>(b->y)},
                      MakeWParam(static_cast<int>(in.MouseKeys()),
                                 static_cast<int>(b->button == 8 ? XBUTTON1 : XBUTTON2)));
            return true;
        }
        int vk = b->button == 1   ? VK_LBUTTON
                 : b->button == 3 ? VK_RBUTTON
                 : b->button == 2 ? VK_MBUTTON
                                  : 0;
        if (vk == 0) return false;
        SyncModifiers(b->state);
        in.SetKey(vk, down);
        in.SetCursorPos({static_cast<int>(b->x_root), static_cast<int>(b->y_root)});
        if (down) lastPressTime_ = b->time;
        if (!down && dragging_ && vk == VK_LBUTTON) {
            dragging_ = false; // the move takes the release
            return true;
        }
        uint32_t msg = vk == VK_LBUTTON   ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                       : vk == VK_RBUTTON ? (down ? WM_RBUTTONDOWN : WM_RBUTTONUP)
                                          : (down ? WM_MBUTTONDOWN : WM_MBUTTONUP);
        PostMouse(msg, {static_cast<int>(b->x), static_cast<int>(b->y)}, in.MouseKeys());
        return true;
    }
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
        return true; // double clicks are recognised from the plain presses
    case GDK_SCROLL: {
        auto* s = reinterpret_cast<GdkEventScroll*>(event);
        int delta = 0;
        if (s->direction == GDK_SCROLL_UP)
            delta = WHEEL_DELTA;
        else if (s->direction == GDK_SCROLL_DOWN)
            delta = -WHEEL_DELTA;
        else if (s->direction == GDK_SCROLL_SMOOTH)
            delta = static_cast<int>(-s->delta_y * WHEEL_DELTA);
        if (delta == 0) return false;
        SyncModifiers(s->state);
        Point screen{static_cast<int>(s->x_root), static_cast<int>(s->y_root)};
        PostMouse(WM_MOUSEWHEEL, ScreenToClient(screen),
                  MakeWParam(static_cast<int>(in.MouseKeys()), delta));
        return true;
    }
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE: {
        // An active menu or drop-down takes the keyboard, as the active window would.
        if (g_grabber && g_grabber != this) return g_grabber->OnEvent(e);
        if (EntryHasFocus()) return false; // the edit box gets its keys
        auto* k = reinterpret_cast<GdkEventKey*>(event);
        bool down = event->type == GDK_KEY_PRESS;
        SyncModifiers(k->state);
        int vk = KeyMap::VirtualKey(k->keyval);
        bool extended = false;
        int scan =
            KeyMap::ScanCode(k->hardware_keycode >= 8 ? k->hardware_keycode - 8u : 0u, extended);
        bool wasDown = vk != 0 && in.IsKeyDown(vk);
        if (vk) in.SetKey(vk, down);
        if (!IsEnabled()) return true;
        // A control that edits text lets the input method see the keys first.
        if (textInput_ && im_ && gtk_im_context_filter_keypress(im_, k)) return true;
        // Messages carry the generic modifier keys, as Win32 does.
        int msgKey = vk == VK_LSHIFT || vk == VK_RSHIFT       ? VK_SHIFT
                     : vk == VK_LCONTROL || vk == VK_RCONTROL ? VK_CONTROL
                     : vk == VK_LMENU || vk == VK_RMENU       ? VK_MENU
                                                              : vk;
        bool alt = in.IsKeyDown(VK_MENU) || msgKey == VK_MENU;
        if (msgKey) {
            uint32_t msg =
                down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
            MessageQueue::Instance().Post(
                this, msg, static_cast<WPARAM>(msgKey),
                KeyLParam(1, scan, extended, down ? wasDown : true, !down));
        }
        if (down && !(k->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) {
            gunichar ch = gdk_keyval_to_unicode(k->keyval);
            if (k->keyval == GDK_KEY_Return || k->keyval == GDK_KEY_KP_Enter) ch = '\r';
            if (k->keyval == GDK_KEY_BackSpace) ch = '\b';
            if (k->keyval == GDK_KEY_Tab) ch = '\t';
            if (k->keyval == GDK_KEY_Escape) ch = 0x1B;
            if (ch)
                MessageQueue::Instance().Post(this, WM_CHAR, ch,
                                              KeyLParam(1, scan, extended, wasDown, false));
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace Tolva
