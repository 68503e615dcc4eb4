#include "TolvaFixture.h"

#include "ui/controls/MEdit.h"
#include "ui/controls/MSpinButton.h"
#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/CColorPalette.h"
#include "ui/widgets/CColorSelect.h"
#include "ui/widgets/CirclePalette.h"
#include "ui/widgets/HsbColor.h"
#include "ui/widgets/MPalette.h"

#include <cmath>

using namespace Tolva;

namespace TolvaTest {
namespace {

class PaletteTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        // A face every machine with the program's fonts has, so that pictures compare.
        font = Manager::GetFontName();
        Manager::SetFontName("Open Sans");
        ASSERT_TRUE(dlg.Open(520, 300));
        dlg.EnableWndDrag(false);
        w = dlg.GetSafeHwnd();
    }
    void Press(Point p) {
        head->MouseMove(w, p);
        head->Click(w, p);
    }
    void Repaint() {
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
    }
    std::vector<Note> NotesWithCode(int code) const {
        std::vector<Note> out;
        for (const Note& n : dlg.notes)
            if (n.code == code) out.push_back(n);
        return out;
    }
    // ARGB of a 0x00BBGGRR colour.
    static uint32_t Argb(uint32_t c) {
        return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }

    void TearDown() override {
        TolvaTest::TearDown();
        Manager::SetFontName(font);
    }

    std::string font;
    ProbeDialog dlg;
    NativeWindow* w = nullptr;
};

TEST_F(PaletteTest, HsbConversionRoundTrips) {
    EXPECT_EQ(HsbColor::FromColor(0x0000FF), (HsbColor{0, 200, 200}));
    EXPECT_EQ(HsbColor::FromColor(0x00FF00), (HsbColor{120, 200, 200}));
    EXPECT_EQ(HsbColor::FromColor(0xFF0000), (HsbColor{240, 200, 200}));
    EXPECT_EQ(HsbColor::FromColor(0xFFFFFF), (HsbColor{0, 0, 200}));
    EXPECT_EQ(HsbColor::FromColor(0x000000), (HsbColor{0, 0, 0}));
    EXPECT_EQ(HsbColor::FromColor(0x808080).saturation, 0);
    EXPECT_EQ(HsbColor::ToColor({60, 200, 200}), 0x00FFFFu);
    EXPECT_EQ(HsbColor::ToColor({300, 200, 100}), 0x800080u);
    // Hue wraps, saturation and brightness are clamped.
    EXPECT_EQ(HsbColor::ToColor({480, 200, 200}), HsbColor::ToColor({120, 200, 200}));
    EXPECT_EQ(HsbColor::ToColor({-120, 200, 200}), HsbColor::ToColor({240, 200, 200}));
    EXPECT_EQ(HsbColor::ToColor({10, 500, 900}), HsbColor::ToColor({10, 200, 200}));
    EXPECT_EQ(HsbColor::ToColor({10, -5, -5}), 0u);
    // Every colour of a coarse grid comes back within the steps of the integer scales.
    int worst = 0;
    for (uint32_t r = 0; r < 256; r += 15)
        for (uint32_t g = 0; g < 256; g += 17)
            for (uint32_t b = 0; b < 256; b += 51) {
                const uint32_t c = b << 16 | g << 8 | r;
                const uint32_t back = HsbColor::ToColor(HsbColor::FromColor(c));
                for (int s = 0; s < 24; s += 8)
                    worst =
                        std::max(worst, std::abs(int((c >> s) & 0xFF) - int((back >> s) & 0xFF)));
            }
    EXPECT_LE(worst, 3);
    for (int hue = 0; hue < 360; hue += 7) {
        const HsbColor hsb{hue, 200, 200};
        EXPECT_NEAR(HsbColor::FromColor(HsbColor::ToColor(hsb)).hue, hue, 1) << hue;
    }
}

TEST_F(PaletteTest, CirclePaletteMovesOnlyOnTheRing) {
    auto* ring = dynamic_cast<CirclePalette*>(
        dlg.CreateControl("CirclePalette", 40, Rect{20, 20, 160, 160}));
    ASSERT_NE(ring, nullptr);
    ASSERT_EQ(ring->SetImage("img_circlepalette.png", 1), 1);
    EXPECT_EQ(ring->GetSelectColor(), 0x0000FFu);
    Repaint();
    const Rect start = ring->GetThumbRect();
    EXPECT_EQ(start, (Rect{120, 50, 130, 60}));
    // The centre is (90, 90).
    EXPECT_EQ(ring->GetDistanse({110, 90}), 20);
    EXPECT_EQ(ring->GetDistanse({120, 130}), 50);
    Press({110, 90});
    EXPECT_EQ(ring->GetThumbRect(), start);
    EXPECT_TRUE(NotesWithCode(27).empty());
    EXPECT_FALSE(ring->MoveThumbPos({90, 90 + 32}));
    EXPECT_TRUE(ring->MoveThumbPos({90, 90 + 65}));

    dlg.notes.clear();
    const Point onRing{120, 130};
    const uint32_t shown = head->Pixel(w, onRing);
    Press(onRing);
    EXPECT_EQ(ring->GetThumbRect(), (Rect{115, 125, 125, 135}));
    const std::vector<Note> picked = NotesWithCode(27);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].wparam, 0u);
    // What the user saw under the pointer is what is reported.
    const auto color = static_cast<uint32_t>(picked[0].lparam);
    EXPECT_TRUE(Near(Argb(color), shown, 2)) << std::hex << color << " " << shown;
    EXPECT_EQ(ring->GetSelectColor(), color);
    // The same place again changes nothing.
    Press(onRing);
    EXPECT_EQ(NotesWithCode(27).size(), 1u);
}

TEST_F(PaletteTest, CirclePaletteDragsInStepsOfFivePixels) {
    auto* ring = dynamic_cast<CirclePalette*>(
        dlg.CreateControl("CirclePalette", 40, Rect{20, 20, 160, 160}));
    ASSERT_NE(ring, nullptr);
    ring->SetImage("img_circlepalette.png", 1);
    const Point thumb{125, 55}; // centre of the first thumb, 50 from the centre
    head->MouseMove(w, thumb);
    EXPECT_EQ(ring->GetDragState(), 1);
    head->MouseDown(w, MouseButton::Left, thumb);
    EXPECT_EQ(ring->GetDragState(), 2);
    const size_t first = NotesWithCode(27).size();
    head->MouseMove(w, {thumb.x + 4, thumb.y + 4});
    EXPECT_EQ(NotesWithCode(27).size(), first);
    head->MouseMove(w, {thumb.x + 5, thumb.y + 2});
    EXPECT_EQ(NotesWithCode(27).size(), first + 1);
    EXPECT_EQ(ring->GetThumbRect(), (Rect{125, 52, 135, 62}));
    // Off the ring the thumb stays.
    head->MouseMove(w, {90, 95});
    EXPECT_EQ(ring->GetThumbRect(), (Rect{125, 52, 135, 62}));
    head->MouseUp(w, MouseButton::Left, {90, 95});
    EXPECT_EQ(ring->GetDragState(), 0);
    ring->SetSelectColor(0x123456);
    EXPECT_EQ(ring->GetSelectColor(), 0x123456u);
    EXPECT_EQ(ring->GetThumbRect(), (Rect{125, 52, 135, 62}));
}

TEST_F(PaletteTest, ColorButtonsOfAGroupCheckOneAtATime) {
    PaintManager& pm = dlg.GetPaintManager();
    auto make = [&](unsigned id, int x, const std::string& group) {
        auto* b = static_cast<CColorButton*>(
            pm.CreateControl(1, &dlg, "CColorButton", id, Rect{x, 10, x + 20, 30}, {}, true, true));
        b->SetGroupName(group);
        return b;
    };
    CColorButton* a = make(1, 10, "g");
    CColorButton* b = make(2, 40, "g");
    CColorButton* other = make(3, 70, "h");
    CColorButton* off = make(4, 100, "g");
    a->SetCheck(true);
    other->SetCheck(true);
    off->SetControlCheck(true);
    off->SetEnabled(false);
    off->SetCheck(false); // disabled: refused
    EXPECT_TRUE(off->GetCheck());
    head->MouseMove(w, {45, 20});
    head->MouseDown(w, MouseButton::Left, {45, 20});
    EXPECT_TRUE(b->GetCheck());
    EXPECT_FALSE(a->GetCheck());
    EXPECT_TRUE(other->GetCheck());
    EXPECT_TRUE(off->GetCheck()); // disabled buttons are left alone
    head->MouseUp(w, MouseButton::Left, {45, 20});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{2, 1, 0, 0}, {2, 2, 0, 0}}));
    // Border colours: checked green, unchecked none, disabled grey.
    b->SetColor(0x000000);
    a->SetColor(0x000000);
    Repaint();
    EXPECT_EQ(head->Pixel(w, {40, 10}), CColorButton::kBorderChecked);
    EXPECT_EQ(head->Pixel(w, {10, 10}), 0xFF000000u);
    EXPECT_EQ(head->Pixel(w, {100, 10}), CColorButton::kBorderDisabled);
    EXPECT_EQ(head->Pixel(w, {105, 20}), 0xFFFFFFFFu);
}

TEST_F(PaletteTest, ColorSelectReportsTheCheckedSwatch) {
    auto* sel =
        dynamic_cast<CColorSelect*>(dlg.CreateControl("CColorSelect", 60, Rect{300, 10, 330, 200}));
    ASSERT_NE(sel, nullptr);
    for (int i = 0; i < CColorSelect::kCount; ++i) {
        ASSERT_NE(sel->GetSwatch(i), nullptr);
        EXPECT_EQ(sel->GetSwatch(i)->GetControlID(), 631u + i);
        EXPECT_EQ(sel->GetSwatch(i)->GetRect(), (Rect{300, 15 + 25 * i, 320, 35 + 25 * i}));
    }
    EXPECT_TRUE(sel->GetSwatch(6)->IsVisibleBorder());
    // Swatch 2 (blue) at y 65..85.
    head->MouseMove(w, {310, 75});
    head->MouseDown(w, MouseButton::Left, {310, 75});
    EXPECT_EQ(sel->GetColorIndex(), 2);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{60, 27, 2, 0xFF0000}, {633, 1, 0, 0}}));
    EXPECT_EQ(sel->GetSelectColor(), 0xFF0000u);
    head->MouseUp(w, MouseButton::Left, {310, 75});
    // A black swatch is not a colour to report.
    sel->GetSwatch(4)->SetColor(0);
    dlg.notes.clear();
    head->MouseMove(w, {310, 125});
    head->Click(w, {310, 125});
    EXPECT_EQ(sel->GetColorIndex(), 4);
    EXPECT_TRUE(NotesWithCode(27).empty());
    EXPECT_TRUE(sel->SetColorIndex(-1));
    EXPECT_EQ(sel->GetColorIndex(), -1);
    for (int bad : {-2, 7, 1 << 30}) {
        EXPECT_FALSE(sel->SetColorIndex(bad));
        EXPECT_EQ(sel->GetSwatch(bad), nullptr);
    }
    EXPECT_EQ(sel->GetColorIndex(), -1);
}

TEST_F(PaletteTest, ColorPaletteKeepsItsPartsInStep) {
    auto* pal = dynamic_cast<CColorPalette*>(
        dlg.CreateControl("CColorPalette", 70, Rect{10, 10, 290, 240}));
    ASSERT_NE(pal, nullptr);
    ASSERT_NE(pal->GetPalette(), nullptr);
    ASSERT_NE(pal->GetPreview(), nullptr);
    EXPECT_EQ(pal->GetPalette()->GetControlID(), 620u);
    EXPECT_EQ(pal->GetPalette()->GetRect().Width(), 233);
    EXPECT_EQ(pal->GetPreview()->GetControlID(), 622u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pal->GetSwatch(i)->GetControlID(), 631u + i);
    EXPECT_EQ(pal->GetSwatch(-1), nullptr);
    EXPECT_EQ(pal->GetSwatch(8), nullptr);
    EXPECT_EQ(pal->GetSpin(-1), nullptr);
    EXPECT_NE(pal->GetSpin(0), nullptr);
    EXPECT_EQ(pal->GetSpin(3), nullptr);

    // A preset swatch: green, the fourth.
    const Rect green = pal->GetSwatch(3)->GetRect();
    Press({green.left + 10, green.top + 10});
    ASSERT_FALSE(NotesWithCode(27).empty());
    EXPECT_EQ(NotesWithCode(27).back(), (Note{70, 27, 0, 0x00FF00}));
    EXPECT_EQ(pal->GetSelectColor(), 0x00FF00u);
    EXPECT_EQ(pal->GetPreview()->GetColor(), 0x00FF00u);
    EXPECT_EQ(pal->GetPalette()->GetSelectColor(), 0x00FF00u);

    // The field: what it shows under the pointer is what is picked.
    dlg.notes.clear();
    Repaint();
    const Rect field = pal->GetPalette()->GetRect();
    const Point at{field.left + 50, field.top + 100};
    const uint32_t shown = head->Pixel(w, at);
    Press(at);
    const std::vector<Note> picked = NotesWithCode(27);
    ASSERT_EQ(picked.size(), 2u); // the picker's, then the field's own passed on
    const Note& mine = picked[0].id == 70u ? picked[0] : picked[1];
    const Note& field27 = picked[0].id == 620u ? picked[0] : picked[1];
    EXPECT_EQ(mine.id, 70u);
    EXPECT_EQ(field27.id, 620u);
    EXPECT_EQ(mine.wparam, 0u);
    EXPECT_EQ(static_cast<uint32_t>(field27.wparam), static_cast<uint32_t>(mine.lparam));
    EXPECT_TRUE(Near(Argb(static_cast<uint32_t>(mine.lparam)), shown, 1));
    EXPECT_EQ(pal->GetPreview()->GetColor(), static_cast<uint32_t>(mine.lparam));

    // Setting the colour shows it everywhere and sends nothing.
    dlg.notes.clear();
    pal->SetSelectColor(0x336699);
    EXPECT_TRUE(dlg.notes.empty());
    EXPECT_EQ(pal->GetPreview()->GetColor(), 0x336699u);
    MSpinButton* red = pal->GetSpin(0);
    MSpinButton* blue = pal->GetSpin(2);
    ASSERT_TRUE(red && pal->GetSpin(1) && blue);
    EXPECT_EQ(red->GetControlID(), 654u);
    EXPECT_EQ(blue->GetControlID(), 656u);
    EXPECT_EQ(red->GetMaxValue(), 255);
    EXPECT_EQ(red->GetCurValue(), 0x99);
    EXPECT_EQ(pal->GetSpin(1)->GetCurValue(), 0x66);
    EXPECT_EQ(blue->GetCurValue(), 0x33);

    // A value box changes its own channel only.
    blue->Step(+1);
    EXPECT_EQ(pal->GetSelectColor(), 0x346699u);
    EXPECT_EQ(NotesWithCode(27).front(), (Note{70, 27, 0, 0x346699}));
    EXPECT_EQ(pal->GetPalette()->GetSelectColor(), 0x346699u);
    EXPECT_EQ(pal->GetPreview()->GetColor(), 0x346699u);
    ASSERT_NE(pal->GetTextEdit(), nullptr);
    EXPECT_EQ(pal->GetTextEdit()->GetControlID(), 657u);
    EXPECT_EQ(pal->GetTextEdit()->GetEditText(), "996634");
    red->SetCurValue(300);
    EXPECT_EQ(red->GetCurValue(), 255);
}

TEST_F(PaletteTest, ColorTextParsesOnlySixHexDigits) {
    uint32_t c = 7;
    EXPECT_EQ(CColorPalette::ColorText(0x336699), "996633");
    EXPECT_TRUE(CColorPalette::ParseColorText("#996633", c));
    EXPECT_EQ(c, 0x336699u);
    EXPECT_TRUE(CColorPalette::ParseColorText("a0B0c0", c));
    EXPECT_EQ(c, 0xC0B0A0u);
    c = 7;
    for (const char* bad : {"", "#", "12345", "1234567", "12345G", "#-12345", " 123456"})
        EXPECT_FALSE(CColorPalette::ParseColorText(bad, c)) << bad;
    EXPECT_EQ(c, 7u);
}

TEST_F(PaletteTest, PickersLookAsBefore) {
    auto* pal = dynamic_cast<CColorPalette*>(
        dlg.CreateControl("CColorPalette", 70, Rect{10, 10, 290, 240}));
    auto* ring = dynamic_cast<CirclePalette*>(
        dlg.CreateControl("CirclePalette", 40, Rect{320, 20, 460, 160}));
    auto* sel =
        dynamic_cast<CColorSelect*>(dlg.CreateControl("CColorSelect", 60, Rect{480, 10, 510, 200}));
    ASSERT_TRUE(pal && ring && sel);
    ring->SetImage("img_circlepalette.png", 1);
    pal->SetSelectColor(0x2080F0);
    ring->MoveThumbPos({390 + 40, 90 + 30});
    sel->SetColorIndex(1);
    Repaint();
    EXPECT_EQ(CompareWithReference(head->Frame(w), "color_pickers"), "");
}

} // namespace
} // namespace TolvaTest
