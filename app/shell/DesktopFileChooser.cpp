#include "app/shell/DesktopFileChooser.h"

#include "ui/platform/Platform.h"

#include <gtk/gtk.h>

bool DesktopFileChooser::ChooseSaveFile(const std::string& filterName, const std::string& pattern,
                                        std::string& path) {
    return Run(true, filterName, pattern, path);
}

bool DesktopFileChooser::ChooseOpenFile(const std::string& filterName, const std::string& pattern,
                                        std::string& path) {
    return Run(false, filterName, pattern, path);
}

bool DesktopFileChooser::Run(bool save, const std::string& filterName, const std::string& pattern,
                             std::string& path) {
    if (!Tolva::Platform::IsInitialized() || Tolva::Platform::Headless()) return false;
    GtkFileChooserNative* dialog = gtk_file_chooser_native_new(
        filterName.c_str(), nullptr,
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr);
    if (!dialog) return false;
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, filterName.c_str());
    gtk_file_filter_add_pattern(filter, pattern.c_str());
    gtk_file_chooser_add_filter(chooser, filter); // takes the filter
    if (save) gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    bool chosen = false;
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(chooser)) {
            path = name;
            g_free(name);
            chosen = !path.empty();
        }
    }
    g_object_unref(dialog);
    return chosen;
}
