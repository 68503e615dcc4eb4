// The drop shadow of a dialog on the GTK back end: below its dialog and never taking the pointer.
#include "ui/core/MDialog.h"
#include "ui/paint/MShadow.h"
#include "ui/platform/Platform.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace Tolva;

namespace {

// Top-level X windows bottom to top, with their names.
std::vector<std::pair<Window, std::string>> Stack(Display* d) {
    std::vector<std::pair<Window, std::string>> out;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return out;
    for (unsigned i = 0; i < n; ++i) {
        char* name = nullptr;
        std::string s;
        if (XFetchName(d, children[i], &name) && name) s = name;
        if (name) XFree(name);
        out.emplace_back(children[i], s);
    }
    if (children) XFree(children);
    return out;
}

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        Platform::ProcessPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

TEST(ShadowStackTest, ShadowSitsBelowItsDialogAndHasAnEmptyInputShape) {
    ASSERT_TRUE(Platform::Init(BackendKind::Gtk));
    {
        MDialog dlg;
        ASSERT_NE(dlg.Create(nullptr, "ShadowedDialog", WS_POPUP, 0, {200, 200, 500, 400}), nullptr);
        dlg.ShowWindow(SW_SHOW);
        MShadow* shadow = dlg.CreateShadow(6, true);
        ASSERT_NE(shadow, nullptr);
        Pump(300);
        // The dialog comes to the front again, as a click on it would bring it.
        dlg.BringToTop();
        dlg.MoveWindow(220, 210, 300, 200);
        Pump(300);
        Display* d = XOpenDisplay(nullptr);
        ASSERT_NE(d, nullptr);
        const auto stack = Stack(d);
        int shadowAt = -1, dialogAt = -1;
        Window shadowWin = 0;
        for (size_t i = 0; i < stack.size(); ++i) {
            if (stack[i].second == "Shadow") {
                shadowAt = static_cast<int>(i);
                shadowWin = stack[i].first;
            }
            if (stack[i].second == "ShadowedDialog") dialogAt = static_cast<int>(i);
        }
        ASSERT_GE(shadowAt, 0);
        ASSERT_GE(dialogAt, 0);
        EXPECT_LT(shadowAt, dialogAt);
        int count = -1, ordering = 0;
        XRectangle* rects = XShapeGetRectangles(d, shadowWin, ShapeInput, &count, &ordering);
        EXPECT_EQ(count, 0);
        if (rects) XFree(rects);
        XCloseDisplay(d);
    }
    Platform::Shutdown();
}

} // namespace
