#pragma once

#include "app/shell/pages/PageHost.h"
#include "ui/platform/Messages.h"

#include <cstdint>

// One page of the main window: it builds its controls into the layouts it lives on and owns the
// handlers of their ids, so the window only routes. Window thread only.
class ShellPage {
public:
    static constexpr uint32_t kKeyEvent = 1654;
    // The window hands every application message (from WM_USER up) to the pages in order until
    // one takes it; these are the pages' own broadcasts:
    // a macro was added, renamed or deleted (pages that list macros refresh; no one takes it),
    static constexpr uint32_t kMacrosChanged = 1828;
    // worker task 1: start the music visualizer (the lighting page takes it).
    static constexpr uint32_t kStartVisualizer = 1829;
    // a live lighting frame was sent: lparam points to its seven zone colours (0x00BBGGRR),
    static constexpr uint32_t kLiveColours = 1830;
    // at start: wparam 1 when the screen-colour effect can read the screen, 0 when it cannot.
    static constexpr uint32_t kScreenReadable = 1831;

    explicit ShellPage(PageHost& host) : host_(host) {}
    virtual ~ShellPage() = default;
    ShellPage(const ShellPage&) = delete;
    ShellPage& operator=(const ShellPage&) = delete;

    // The page-table id (0 home, 6 mouse keys, 7 macros, 8 pointer, 9 lighting, 10 configuration
    // for the mouse family; 1, 2, 3, 5 for keyboards).
    virtual int PageId() const = 0;
    // Creates the page's controls once, from the window's InitUI, through host_.FindLayout.
    virtual void Build() = 0;
    // A control notification; true when the id belongs to this page (then no other page sees it).
    virtual bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) = 0;
    // A window message of the page (software functions 1092, menu choices ...); true when taken.
    // The window hands every key press and release it receives to every page as message
    // kKeyEvent: wparam = virtual key, lparam = the key message's lParam (scan code in bits
    // 16-23, extended key bit 24, bit 31 set on a release).
    virtual bool OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam) {
        return false;
    }
    // Re-reads everything shown from the store for the shown device and current profile.
    virtual void Reload() {}
    // Re-applies every text in the current language.
    virtual void ApplyTexts() {}
    // The page's tab was selected.
    virtual void OnActivate() {}

protected:
    PageHost& host_;
};
