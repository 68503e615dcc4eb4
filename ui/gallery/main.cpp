// tolva-gallery: every control class of the library in one dialog.
//   tolva-gallery               opens the dialog on the display (GTK)
//   tolva-gallery --headless DIR writes one PNG per page into DIR, without a display
//   tolva-gallery --bench        prints the time from main() to the first frame and the memory use
//   --chinese                    the samples' texts in Chinese
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "ui/core/Manager.h"
#include "ui/gallery/GalleryDialog.h"
#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"

using namespace Tolva;

namespace {

long StatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

std::string Slug(const std::string& title) {
    std::string s;
    for (char c : title)
        s += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '-';
    return s;
}

int Usage(FILE* out, int code) {
    std::fprintf(out, "usage: tolva-gallery [--chinese] [--headless DIR | --bench]\n");
    return code;
}

} // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    std::string headlessDir;
    bool bench = false;
    bool chinese = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0 && i + 1 < argc)
            headlessDir = argv[++i];
        else if (std::strcmp(argv[i], "--bench") == 0)
            bench = true;
        else if (std::strcmp(argv[i], "--chinese") == 0)
            chinese = true;
        else if (std::strcmp(argv[i], "--help") == 0)
            return Usage(stdout, 0);
        else
            return Usage(stderr, 2);
    }
    const bool headless = !headlessDir.empty();
    if (!Platform::Init(headless ? BackendKind::Headless : BackendKind::Gtk, &argc, &argv)) {
        std::fprintf(stderr, "tolva-gallery: cannot open the display (try --headless DIR)\n");
        return 1;
    }
    auto since = [&start] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    const double initMs = since();
    int rc = 0;
    {
        GalleryDialog dlg(chinese);
        if (!dlg.Create(nullptr, "Tolva gallery", WS_POPUP, 0, Rect{0, 0, 1200, 800})) {
            std::fprintf(stderr, "tolva-gallery: cannot create the window\n");
            Platform::Shutdown();
            return 1;
        }
        dlg.CenterWindow();
        const double createMs = since();
        if (headless) {
            std::error_code ec;
            std::filesystem::create_directories(headlessDir, ec);
            dlg.ShowWindow(SW_SHOW);
            const auto& pages = GalleryDialog::Pages();
            const std::string suffix = chinese ? "-zh" : "";
            auto save = [&](NativeWindow* window, const std::string& name) {
                const std::string path =
                    (std::filesystem::path(headlessDir) / (name + suffix + ".png")).string();
                if (!window || !Platform::Headless()->SaveFrame(window, path)) {
                    std::fprintf(stderr, "tolva-gallery: cannot write %s\n", path.c_str());
                    rc = 1;
                    return false;
                }
                std::printf("%s\n", path.c_str());
                return true;
            };
            for (size_t i = 0; i < pages.size() && rc == 0; ++i) {
                dlg.SelectPage(static_cast<int>(i));
                Platform::ProcessPending();
                save(dlg.GetSafeHwnd(),
                     "gallery-" + std::to_string(i + 1) + "-" + Slug(pages[i].title));
            }
            // The popup windows the buttons page opens, one picture each.
            dlg.SelectPage(0);
            NativeWindow* popups[] = {dlg.OpenLoadingWindow(), dlg.OpenBalloon(),
                                      dlg.OpenPopupWindow()};
            const char* names[] = {"loading-window", "balloon-tip", "popup-window"};
            Platform::ProcessPending();
            for (int i = 0; i < 3 && rc == 0; ++i)
                save(popups[i], std::string("gallery-window-") + names[i]);
            // The gallery test passes on "classes built", so it is only printed when every class
            // the library builds by name is on a page and was built there.
            const auto missing = dlg.MissingClasses();
            for (const std::string& name : missing)
                std::printf("missing from the gallery: %s\n", name.c_str());
            if (missing.empty() && dlg.BuiltCount() == dlg.ClassCount()) {
                std::printf("%d of %d classes built\n", dlg.BuiltCount(), dlg.ClassCount());
            } else {
                std::printf("gallery incomplete: %d of %d built\n", dlg.BuiltCount(),
                            dlg.ClassCount());
                rc = 1;
            }
        } else if (bench) {
            dlg.ShowWindow(SW_SHOW);
            NativeWindow* w = dlg.GetSafeHwnd();
            while (Platform::IsWindow(w) && w->GetFramesShown() == 0)
                Platform::PumpOnce(true);
            std::printf(
                "first_frame_ms=%.1f rss_kb=%ld peak_rss_kb=%ld init_ms=%.1f created_ms=%.1f\n",
                since(), StatusKb("VmRSS:"), StatusKb("VmHWM:"), initMs, createMs);
        } else {
            dlg.ShowModal(SW_SHOW);
        }
    }
    Platform::Shutdown();
    return rc;
}
