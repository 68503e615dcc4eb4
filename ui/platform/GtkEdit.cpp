#include "ui/platform/GtkEdit.h"

#include <cstdio>
#include <string>

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include "ui/platform/GtkNativeWindow.h"
#include "ui/platform/VirtualKeys.h"

namespace Tolva {

namespace {

void ChangedThunk(GtkEditable*, gpointer self) {
    static_cast<GtkEdit*>(self)->OnChanged();
}

gboolean FocusOutThunk(GtkWidget*, GdkEvent*, gpointer self) {
    return static_cast<GtkEdit*>(self)->OnFocusOut() ? TRUE : FALSE;
}

gboolean KeyThunk(GtkWidget*, GdkEventKey* event, gpointer self) {
    return static_cast<GtkEdit*>(self)->OnKey(event->keyval) ? TRUE : FALSE;
}

void InsertThunk(GtkEditable*, gchar* text, gint length, gint* position, gpointer self) {
    static_cast<GtkEdit*>(self)->OnInsert(text, length, position);
}

void DestroyedThunk(GtkWidget*, gpointer slot) {
    *static_cast<GtkWidget**>(slot) = nullptr;
}

std::string Hex(uint32_t colorRef) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", colorRef & 0xFF, (colorRef >> 8) & 0xFF,
                  (colorRef >> 16) & 0xFF);
    return buf;
}

} // namespace

GtkEdit::GtkEdit(GtkNativeWindow* parent) {
    entry_ = gtk_entry_new();
    gtk_entry_set_has_frame(GTK_ENTRY(entry_), FALSE);
    css_ = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(entry_), GTK_STYLE_PROVIDER(css_),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_signal_connect(entry_, "changed", G_CALLBACK(ChangedThunk), this);
    g_signal_connect(entry_, "focus-out-event", G_CALLBACK(FocusOutThunk), this);
    g_signal_connect(entry_, "key-press-event", G_CALLBACK(KeyThunk), this);
    g_signal_connect(entry_, "insert-text", G_CALLBACK(InsertThunk), this);
    // The window may go first; then the entry goes with it.
    g_signal_connect(entry_, "destroy", G_CALLBACK(DestroyedThunk), &entry_);
    gtk_fixed_put(GTK_FIXED(parent->Container()), entry_, 0, 0);
    gtk_widget_set_no_show_all(entry_, TRUE);
    ApplyStyle();
}

GtkEdit::~GtkEdit() {
    if (entry_) {
        g_signal_handlers_disconnect_by_data(entry_, this);
        g_signal_handlers_disconnect_by_data(entry_, &entry_);
        gtk_widget_destroy(entry_);
    }
    if (css_) g_object_unref(css_);
}

void GtkEdit::SetRect(const Rect& client) {
    NativeEdit::SetRect(client);
    if (!entry_) return;
    GtkWidget* fixed = gtk_widget_get_parent(entry_);
    if (fixed) gtk_fixed_move(GTK_FIXED(fixed), entry_, client.left, client.top);
    gtk_widget_set_size_request(entry_, std::max(1, client.Width()), std::max(1, client.Height()));
    gtk_entry_set_width_chars(GTK_ENTRY(entry_), 1);
}

void GtkEdit::SetText(const std::string& text) {
    NativeEdit::SetText(text);
    if (!entry_) return;
    settingText_ = true;
    gtk_entry_set_text(GTK_ENTRY(entry_), text.c_str());
    settingText_ = false;
}

std::string GtkEdit::GetText() const {
    return entry_ ? std::string(gtk_entry_get_text(GTK_ENTRY(entry_))) : text_;
}

void GtkEdit::Show(bool show) {
    NativeEdit::Show(show);
    if (!entry_) return;
    if (show) {
        gtk_widget_show(entry_);
    } else {
        // Hiding is not a loss of focus the user caused.
        g_signal_handlers_block_by_func(entry_, reinterpret_cast<gpointer>(FocusOutThunk), this);
        gtk_widget_hide(entry_);
        g_signal_handlers_unblock_by_func(entry_, reinterpret_cast<gpointer>(FocusOutThunk), this);
    }
}

void GtkEdit::SetFocus() {
    if (entry_ && visible_) gtk_widget_grab_focus(entry_);
}

bool GtkEdit::HasFocus() const {
    return entry_ && gtk_widget_has_focus(entry_);
}

void GtkEdit::SelectAll() {
    if (entry_) gtk_editable_select_region(GTK_EDITABLE(entry_), 0, -1);
}

void GtkEdit::SetColors(uint32_t text, uint32_t back) {
    NativeEdit::SetColors(text, back);
    ApplyStyle();
}

void GtkEdit::SetFont(const std::string& family, int pixelSize, bool bold) {
    NativeEdit::SetFont(family, pixelSize, bold);
    ApplyStyle();
}

void GtkEdit::SetLimit(int maxChars) {
    NativeEdit::SetLimit(maxChars);
    if (entry_) gtk_entry_set_max_length(GTK_ENTRY(entry_), limit_);
}

void GtkEdit::SetReadOnly(bool on) {
    NativeEdit::SetReadOnly(on);
    if (entry_) gtk_editable_set_editable(GTK_EDITABLE(entry_), !on);
}

void GtkEdit::SetPasswordChar(char32_t c) {
    NativeEdit::SetPasswordChar(c);
    if (!entry_) return;
    gtk_entry_set_visibility(GTK_ENTRY(entry_), c == 0);
    if (c) gtk_entry_set_invisible_char(GTK_ENTRY(entry_), c);
}

void GtkEdit::SetAlignment(int align) {
    NativeEdit::SetAlignment(align);
    if (entry_) gtk_entry_set_alignment(GTK_ENTRY(entry_), align_ * 0.5f);
}

void GtkEdit::ApplyStyle() {
    std::string css = "entry { color: " + Hex(textColor_) + "; background: " + Hex(backColor_) +
                      "; background-image: none; font-family: \"" + fontFamily_ +
                      "\"; font-size: " + std::to_string(fontPixels_) +
                      "px; font-weight: " + (bold_ ? "bold" : "normal") +
                      "; border: none; border-radius: 0; box-shadow: none; outline: none;"
                      " min-height: 0; padding: 0 2px; caret-color: " +
                      Hex(textColor_) + "; }";
    gtk_css_provider_load_from_data(css_, css.c_str(), -1, nullptr);
}

void GtkEdit::OnChanged() {
    if (settingText_) return;
    text_ = GetText();
    if (listener_) listener_->OnEditChanged(*this);
}

bool GtkEdit::OnFocusOut() {
    if (visible_ && listener_) listener_->OnEditFocusLost(*this);
    return false;
}

bool GtkEdit::OnKey(unsigned keyval) {
    int vk = keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter    ? VK_RETURN
             : keyval == GDK_KEY_Escape                                ? VK_ESCAPE
             : keyval == GDK_KEY_Tab || keyval == GDK_KEY_ISO_Left_Tab ? VK_TAB
                                                                       : 0;
    return vk && listener_ && listener_->OnEditKey(*this, vk);
}

void GtkEdit::OnInsert(const char* text, int length, int* position) {
    if (inserting_ || !numberOnly_ || settingText_) return;
    // Keep the digits only; the length limit is GTK's own.
    std::string typed(text, length < 0 ? std::char_traits<char>::length(text)
                                       : static_cast<size_t>(length));
    std::string digits = FilterEdit("", 0, 0, typed);
    if (digits == typed) return;
    g_signal_stop_emission_by_name(entry_, "insert-text");
    if (digits.empty()) return;
    inserting_ = true;
    gtk_editable_insert_text(GTK_EDITABLE(entry_), digits.c_str(), static_cast<int>(digits.size()),
                             position);
    inserting_ = false;
}

} // namespace Tolva
