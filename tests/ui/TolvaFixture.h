#pragma once

#include "ui/core/MControlFont.h"
#include "ui/core/MDialog.h"
#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace TolvaTest {

struct Note {
    unsigned id = 0;
    int code = 0;
    Tolva::WPARAM wparam = 0;
    Tolva::LPARAM lparam = 0;
    bool operator==(const Note&) const = default;
};

// A push button with the library's press rules: 1 on a press inside, 2 on a release inside after
// a press. It remembers the points and keys it was given and draws one colour through its cache.
class ProbeButton : public Tolva::MControlFont {
public:
    ProbeButton(Tolva::MObject* parent, unsigned id, const Tolva::Rect& rect,
                uint32_t color = 0xFF3060A0)
        : MControlFont(parent, id, rect), color_(color) {}

    void DrawControl(cairo_t* cr, const Tolva::Rect& clip) override;
    int OnControlLButtonDown(unsigned flags, Tolva::Point pt) override;
    int OnControlLButtonUp(unsigned flags, Tolva::Point pt) override;
    int OnControlMouseMove(unsigned flags, Tolva::Point pt) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) override;
    int OnControlTimer() override {
        ++timerTicks;
        return 1;
    }

    std::vector<Tolva::Point> moves;
    std::vector<unsigned> keys;
    std::atomic<int> timerTicks{0};
    int redraws = 0;
    bool pressed = false;
    bool hovering = false;

private:
    uint32_t color_;
};

// A dialog that records every notification it receives.
class ProbeDialog : public Tolva::MDialog {
public:
    Tolva::LRESULT OnMessage(unsigned id, int code, Tolva::WPARAM wparam,
                             Tolva::LPARAM lparam) override {
        notes.push_back({id, code, wparam, lparam});
        return 0;
    }
    Tolva::LRESULT OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam,
                                   Tolva::LPARAM lparam) override {
        if (msg >= Tolva::WM_USER && msg != Tolva::WM_TOLVA_USERCLOSE)
            posted.push_back({msg, static_cast<int>(wparam), wparam, lparam});
        return MDialog::OnWindowMessage(msg, wparam, lparam);
    }
    // Creates the window at (100, 100) with the size given and shows it.
    bool Open(int width = 400, int height = 300);
    ProbeButton* AddButton(unsigned id, const Tolva::Rect& rect, uint32_t color = 0xFF3060A0);

    std::vector<Note> notes;
    // Application messages that reached the window: (message, -, wparam, lparam).
    std::vector<Note> posted;
};

class TolvaTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Tolva::HeadlessBackend* head = nullptr;
};

// Compares a surface with tests/ui/reference/<name>.png: each channel may differ by `tolerance`.
// With TOLVA_UPDATE_REFERENCES=1 the reference is written instead. On a mismatch a diff image
// goes to <build>/tests/ui-diff/<name>.png. Returns an empty string when they match.
std::string CompareWithReference(cairo_surface_t* surface, const std::string& name,
                                 int tolerance = 8);

// Each channel of two 0xAARRGGBB colours within `tolerance`.
bool Near(uint32_t a, uint32_t b, int tolerance = 2);

// 0xAARRGGBB (not premultiplied) of one pixel of an ARGB32 surface.
uint32_t PixelAt(cairo_surface_t* surface, int x, int y);

} // namespace TolvaTest
