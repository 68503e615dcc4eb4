#include "ui/core/Manager.h"

#include "ui/core/MWindow.h"
#include "ui/platform/VirtualKeys.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace Tolva {
namespace {

struct State {
    std::mutex lock;
    void* instance = nullptr;
    std::string fontName = "Open Sans Semibold";
    int fontWidth = 18;
    std::set<MWindow*> windows;
    std::string programFolder;
    std::atomic<unsigned> idCounter{10000};
};

State& S() {
    static State state;
    return state;
}

} // namespace

void Manager::SetInstance(void* module) {
    std::lock_guard guard(S().lock);
    S().instance = module;
}

void* Manager::GetInstance() {
    std::lock_guard guard(S().lock);
    return S().instance;
}

bool Manager::InitGdiplus() {
    if (Platform::IsInitialized()) return true;
    return Platform::InitFromEnvironment();
}

void Manager::UnInitGdiplus() {
    if (Platform::IsInitialized()) Platform::Shutdown();
}

int Manager::MessageLoop() {
    Message msg;
    while (Platform::GetMessage(msg)) {
        if (PreTranslateMessage(msg)) continue;
        // The window's own filter (Tab navigation) runs before dispatch, as in a modal loop.
        if (MWindow* window = FindWnd(msg.window); window && window->PreTranslateMessage(&msg))
            continue;
        Platform::DispatchMessage(msg);
    }
    return static_cast<int>(msg.wParam);
}

bool Manager::PreTranslateMessage(const Message& msg) {
    return Platform::IsKeyDown(VK_MENU) && Platform::IsKeyDown(VK_F1 + 3) &&
           (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN);
}

void Manager::AddWnd(MWindow* window) {
    std::lock_guard guard(S().lock);
    S().windows.insert(window);
}

void Manager::DeleteWnd(MWindow* window) {
    std::lock_guard guard(S().lock);
    S().windows.erase(window);
}

MWindow* Manager::FindWnd(const NativeWindow* hwnd) {
    if (!hwnd) return nullptr;
    std::lock_guard guard(S().lock);
    for (MWindow* w : S().windows)
        if (w->GetSafeHwnd() == hwnd) return w;
    return nullptr;
}

bool Manager::IsLiveWnd(const MWindow* window) {
    std::lock_guard guard(S().lock);
    return S().windows.count(const_cast<MWindow*>(window)) != 0;
}

void Manager::SetFont(const std::string& name, int width) {
    std::lock_guard guard(S().lock);
    S().fontName = name;
    S().fontWidth = width;
}

void Manager::SetFontName(const std::string& name) {
    std::lock_guard guard(S().lock);
    S().fontName = name;
}

std::string Manager::GetFontName() {
    std::lock_guard guard(S().lock);
    return S().fontName;
}

int Manager::GetFontWidth() {
    std::lock_guard guard(S().lock);
    return S().fontWidth;
}

uint32_t Manager::GetSelectColor() {
    return 0xFF10A8FD;
}

std::string Manager::GetTheme() {
    return "theme1/";
}

void Manager::SetProgramFolder(const std::string& folder) {
    std::string f = folder;
    if (!f.empty() && f.back() != '/') f += '/';
    std::lock_guard guard(S().lock);
    S().programFolder = f;
}

std::string Manager::DefaultProgramFolder(const std::string& exeFolder) {
    std::string folder;
    if (const char* home = std::getenv("PIVANE_HOME"); home && *home) {
        folder = home;
    } else if (!exeFolder.empty()) {
        folder = access((exeFolder + "config.xml").c_str(), F_OK) == 0
                     ? exeFolder
                     : exeFolder + "../share/pivane/";
    }
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string Manager::GetProgramFolder() {
    {
        std::lock_guard guard(S().lock);
        if (!S().programFolder.empty()) return S().programFolder;
    }
    std::string exe;
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n > 0) {
        exe.assign(buf, static_cast<size_t>(n));
        exe.erase(exe.find_last_of('/') + 1);
    }
    return DefaultProgramFolder(exe);
}

std::string Manager::GetSkinFolder() {
    return GetProgramFolder() + "skins/" + GetTheme();
}

std::string Manager::GetFontFolder() {
    return GetProgramFolder() + "font/";
}

unsigned Manager::NextControlId() {
    return ++S().idCounter;
}

} // namespace Tolva
