#include "ui/platform/GtkToolTip.h"

#include <algorithm>

#include <gtk/gtk.h>

#include "ui/platform/Platform.h"

namespace Tolva {

GtkToolTip::GtkToolTip() {
    window_ = gtk_window_new(GTK_WINDOW_POPUP);
    g_object_ref_sink(window_);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_TOOLTIP);
    gtk_window_set_accept_focus(GTK_WINDOW(window_), FALSE);
    label_ = gtk_label_new("");
    gtk_container_add(GTK_CONTAINER(window_), label_);
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css,
                                    "window { background: #202226; border: 1px solid #575757; }"
                                    " label { color: #f0f0f0; padding: 3px 6px; font-size: 9pt; }",
                                    -1, nullptr);
    for (GtkWidget* w : {window_, label_})
        gtk_style_context_add_provider(gtk_widget_get_style_context(w), GTK_STYLE_PROVIDER(css),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
    gtk_widget_show(label_);
}

GtkToolTip::~GtkToolTip() {
    gtk_widget_destroy(window_);
    g_object_unref(window_);
}

void GtkToolTip::Show(const std::string& text, Point screen) {
    if (text.empty()) {
        Hide();
        return;
    }
    text_ = text;
    gtk_label_set_text(GTK_LABEL(label_), text.c_str());
    GtkRequisition size;
    gtk_widget_get_preferred_size(window_, nullptr, &size);
    Rect area = Platform::GetWorkArea(screen);
    int x = std::max(area.left, std::min(screen.x, area.right - size.width));
    int y = screen.y + 20;
    if (y + size.height > area.bottom) y = screen.y - size.height - 4;
    gtk_window_move(GTK_WINDOW(window_), x, y);
    gtk_window_resize(GTK_WINDOW(window_), size.width, size.height);
    gtk_widget_show(window_);
    visible_ = true;
    rect_ = Rect{x, y, x + size.width, y + size.height};
}

void GtkToolTip::Hide() {
    gtk_widget_hide(window_);
    visible_ = false;
    rect_ = Rect{};
}

} // namespace Tolva
