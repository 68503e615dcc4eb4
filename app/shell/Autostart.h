#pragma once

#include <string>

// Starting the program with the desktop session: the entry
// "$XDG_CONFIG_HOME/autostart/ORMAN-Q410.desktop" (XDG_CONFIG_HOME defaults to ~/.config). Its
// presence is the setting; there is no other copy of it.
class Autostart {
public:
    static constexpr const char* kEntryName = "ORMAN-Q410.desktop";

    // The entry's path; empty when no configuration folder is known.
    static std::string EntryPath();
    static bool IsEnabled();
    // Writes the entry (atomically: a reader sees the old file or the new one) so that the
    // session starts `executable -minimize`. False when it could not be written.
    static bool Enable(const std::string& executable);
    // Removes the entry. True when no entry is left (also when there was none).
    static bool Disable();

    // The Exec line's command for the executable, quoted as desktop entries require when the
    // path holds a space or a character the Exec rules reserve.
    static std::string ExecLine(const std::string& executable);
    // The entry's whole text.
    static std::string EntryText(const std::string& executable);
    // The running program's own path (/proc/self/exe); empty when it cannot be told.
    static std::string CurrentExecutable();
};
