#include "TolvaFixture.h"

#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"
#include "ui/widgets/CKeyboardTips.h"
#include "ui/widgets/KeyFuncControl.h"
#include "ui/widgets/KeyboardCtrl.h"
#include "ui/widgets/KeyboardLayout104.h"

#include <set>

using namespace Tolva;

namespace TolvaTest {
namespace {

constexpr WPARAM kNone = static_cast<WPARAM>(-1);

// A keyboard widget over the skin's keyboard picture on a page panel, with the full layout's
// keys (key value = usage id).
class KeyboardCtrlTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        font = Manager::GetFontName();
        Manager::SetFontName("Open Sans");
        ASSERT_TRUE(dlg.Open(960, 560));
        dlg.EnableWndDrag(false);
        w = dlg.GetSafeHwnd();
        page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
            std::make_unique<MPanel>(&dlg, 900, Rect{0, 0, 960, 560}), 1));
        kb = dynamic_cast<KeyboardCtrl*>(
            page->CreateControl("KeyboardCtrl", 100, Rect{10, 10, 950, 240}));
        ASSERT_NE(kb, nullptr);
        ASSERT_TRUE(kb->SetKeyboardImage(kKeyboardPicture));
        kb->SetWidthAndHeight(kKeyboardPictureWidth, kKeyboardPictureHeight);
        for (const KeyboardLayoutKey& k : kKeyboardLayout104)
            kb->AddKeyItem(k.legend, k.legend, static_cast<uint32_t>(k.usage),
                           Rect{k.left, k.top, k.right, k.bottom}.Offset(kKeyboardPictureKeyX,
                                                                         kKeyboardPictureKeyY));
    }
    void TearDown() override {
        TolvaTest::TearDown();
        Manager::SetFontName(font);
    }
    // Centre of key `index` in the window.
    Point KeyPoint(int index) const {
        const Rect r = kb->KeyScreenRect(index);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    int IndexOfUsage(int usage) const {
        for (KEY_INFO* k : kb->GetKeyItems())
            if (k->keyValue == static_cast<uint32_t>(usage)) return k->index;
        return -1;
    }
    void Click(Point p) {
        head->MouseMove(w, p);
        head->Click(w, p);
    }

    std::string font;
    ProbeDialog dlg;
    MPanel* page = nullptr;
    KeyboardCtrl* kb = nullptr;
    NativeWindow* w = nullptr;
};

TEST_F(KeyboardCtrlTest, KeysKeepTheirRecordsAndThePictureIsCentred) {
    ASSERT_EQ(kb->GetKeyCount(), 104);
    const std::vector<KEY_INFO*> keys = kb->GetKeyItems();
    EXPECT_EQ(keys[5]->index, 5);
    EXPECT_EQ(keys[5]->name, "F5");
    EXPECT_EQ(keys[5]->keyValue, 62u);
    EXPECT_EQ(keys[5]->color, 0x00E1FFu);
    EXPECT_EQ(keys[5]->checked, 0);
    EXPECT_TRUE(keys[5]->tipTitle.empty());
    EXPECT_EQ(kb->GetPictureOffset(), (Point{(940 - kKeyboardPictureWidth) / 2, 0}));
    EXPECT_EQ(kb->GetKeyboardCtrlMode(), 100);
    // Key-value setters reach every key with the value and no other.
    kb->SetKeyColor(225, 0x010203); // left Shift
    EXPECT_EQ(kb->GetKeyColor(225), 0x010203u);
    EXPECT_EQ(kb->GetKeyColor(229), 0x00E1FFu);
    EXPECT_EQ(kb->GetKeyColor(12345), 0u);
    kb->SetKeyCheck(12345, true);
    kb->SetKeyDesc(12345, "nothing");
    EXPECT_EQ(kb->GetCheckItemCount(), 0);
    kb->SetKeyDesc(4, "Fire");
    EXPECT_EQ(keys[IndexOfUsage(4)]->name, "Fire");
    EXPECT_EQ(keys[IndexOfUsage(4)]->description, "Fire");
    kb->SetMusicBrightness(80);
    EXPECT_EQ(kb->GetKeyColor(4), 0xFFFF00u);
    EXPECT_EQ(kb->GetMusicBrightness(), 80);
}

TEST_F(KeyboardCtrlTest, LightSequenceFramesAndSpeed) {
    std::vector<uint8_t> data(260);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    kb->SetLightModeData(data.data(), static_cast<int>(data.size()));
    EXPECT_EQ(kb->GetFrameCount(), 2); // the last 52 bytes make no frame
    kb->SetLightSpeed(7);
    EXPECT_EQ(kb->GetTicksPerFrame(), 1);
    kb->SetLightSpeed(0);
    EXPECT_EQ(kb->GetTicksPerFrame(), 12);
    kb->SetLightSpeed(3);
    EXPECT_EQ(kb->GetTicksPerFrame(), 3);
    kb->SetLightSpeed(-1);
    EXPECT_EQ(kb->GetTicksPerFrame(), 1);

    kb->SetKeyboardCtrlMode(KeyboardCtrl::LightSequence);
    kb->SetLightSpeed(3);
    ASSERT_NE(dlg.SetMTimer(10), 0u);
    head->TickPeriodicTimers();
    head->TickPeriodicTimers();
    EXPECT_EQ(kb->GetCurrentFrame(), 0);
    head->TickPeriodicTimers();
    EXPECT_EQ(kb->GetCurrentFrame(), 1);
    for (int i = 0; i < 3; ++i)
        head->TickPeriodicTimers();
    EXPECT_EQ(kb->GetCurrentFrame(), 0); // wraps after the last frame
    // Other modes do not play the sequence.
    kb->SetKeyboardCtrlMode(KeyboardCtrl::PerKeyColor);
    for (int i = 0; i < 6; ++i)
        head->TickPeriodicTimers();
    EXPECT_EQ(kb->GetCurrentFrame(), 0);
    kb->SetLightModeData(nullptr, 0);
    EXPECT_EQ(kb->GetFrameCount(), 0);
    kb->SetLightModeData(data.data(), -5);
    EXPECT_EQ(kb->GetFrameCount(), 0);
    // Without keys a buffer makes no frames (and no division by zero).
    kb->ClearItem();
    kb->SetLightModeData(data.data(), 260);
    EXPECT_EQ(kb->GetFrameCount(), 0);
    kb->SetKeyboardCtrlMode(KeyboardCtrl::LightSequence);
    head->TickPeriodicTimers();
    Platform::ProcessPending();
}

TEST_F(KeyboardCtrlTest, RubberBandChecksTheKeysItMeets) {
    kb->EnableFrameSelect(true);
    kb->SetKeyboardCtrlMode(KeyboardCtrl::Selection);
    kb->ResetAllItemCheck(true);
    ASSERT_EQ(kb->GetCheckItemCount(), 104);
    // 5 x 100 is too narrow to be a frame: it checks nothing and unchecks all.
    const Point start = KeyPoint(IndexOfUsage(20)); // Q
    head->MouseMove(w, start);
    head->MouseDown(w, MouseButton::Left, start);
    head->MouseMove(w, {start.x + 5, start.y + 100});
    EXPECT_TRUE(kb->IsBandOpen());
    EXPECT_EQ(kb->GetCheckItemCount(), 0);
    head->MouseUp(w, MouseButton::Left, {start.x + 5, start.y + 100});
    EXPECT_FALSE(kb->IsBandOpen());

    // Q to D: Q W E on one row, A S D on the next.
    dlg.notes.clear();
    const Point q = KeyPoint(IndexOfUsage(20));
    const Point d = KeyPoint(IndexOfUsage(7));
    head->MouseMove(w, q);
    head->MouseDown(w, MouseButton::Left, q);
    head->MouseMove(w, {q.x + 10, q.y + 10}); // within 20 pixels: nothing yet
    EXPECT_FALSE(kb->IsBandOpen());
    head->MouseMove(w, d);
    EXPECT_TRUE(kb->IsBandOpen());
    std::set<uint32_t> checked;
    for (KEY_INFO* k : kb->GetKeyItems())
        if (k->checked) checked.insert(k->keyValue);
    EXPECT_EQ(checked, (std::set<uint32_t>{20, 26, 8, 4, 22, 7}));
    head->MouseUp(w, MouseButton::Left, d);
    EXPECT_FALSE(kb->IsBandOpen());
    EXPECT_EQ(kb->GetCheckItemCount(), 6);

    // A band drawn with the right button ends in 24 instead of a right click.
    dlg.notes.clear();
    head->MouseMove(w, q);
    head->MouseDown(w, MouseButton::Right, q);
    head->MouseMove(w, {q.x + 60, q.y + 40});
    head->MouseUp(w, MouseButton::Right, {q.x + 60, q.y + 40});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{100, 24, 0, 0}}));
    // Without frame selection a held button only moves the hover.
    kb->EnableFrameSelect(false);
    kb->ResetAllItemCheck();
    head->MouseDown(w, MouseButton::Left, q);
    head->MouseMove(w, d);
    head->MouseUp(w, MouseButton::Left, d);
    EXPECT_EQ(kb->GetCheckItemCount(), 0);
}

TEST_F(KeyboardCtrlTest, ClicksSelectAndReportKeys) {
    // Between Esc and F1 there is no key.
    const Rect esc = kb->KeyScreenRect(0);
    Click({esc.right + 15, esc.top + 10});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{100, 2, kNone, 0}}));
    EXPECT_EQ(kb->GetSelectItem(), -1);

    dlg.notes.clear();
    const int f1 = IndexOfUsage(58);
    Click(KeyPoint(f1));
    EXPECT_EQ(kb->GetSelectItem(), f1);
    EXPECT_EQ(kb->GetCurrentKeyValue(), 58u);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{100, 2, static_cast<WPARAM>(f1), 58}}));

    dlg.notes.clear();
    const int a = IndexOfUsage(4);
    head->MouseMove(w, KeyPoint(a));
    head->Click(w, KeyPoint(a), MouseButton::Right);
    EXPECT_EQ(kb->GetSelectItem(), a);
    EXPECT_EQ(kb->GetCurrentKeyValue(), 4u);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{100, 5, static_cast<WPARAM>(a), 4}}));
}

TEST_F(KeyboardCtrlTest, PerKeyColourModeTogglesTheClickedKey) {
    kb->SetKeyboardCtrlMode(KeyboardCtrl::PerKeyColor);
    kb->SetKeyColor(4, 0x123456);
    const int a = IndexOfUsage(4);
    Click(KeyPoint(a));
    EXPECT_EQ(kb->GetKeyColor(4), 0u);
    Click(KeyPoint(a));
    EXPECT_EQ(kb->GetKeyColor(4), 0xFFFF00u);
    // Other modes leave the colour alone.
    kb->SetKeyboardCtrlMode(KeyboardCtrl::Selection);
    Click(KeyPoint(a));
    EXPECT_EQ(kb->GetKeyColor(4), 0xFFFF00u);
}

TEST_F(KeyboardCtrlTest, ModesDrawTheirOutlines) {
    const int a = IndexOfUsage(4);
    const Rect key = kb->KeyScreenRect(a);
    const Point edge{(key.left + key.right) / 2, key.top};
    auto paint = [&] {
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
    };
    // Plain: no picture, the key filled inside a 1-pixel margin.
    paint();
    EXPECT_EQ(head->Pixel(w, {key.left + 3, key.top + 3}), 0xFF007ACCu);
    EXPECT_NE(head->Pixel(w, {key.left, key.top + 3}), 0xFF007ACCu);
    // Selection: checked keys outlined; an open band is drawn dashed.
    kb->SetKeyboardCtrlMode(KeyboardCtrl::Selection);
    kb->EnableFrameSelect(true);
    kb->SetKeyCheck(4, true);
    paint();
    EXPECT_EQ(head->Pixel(w, edge), 0xFF10A8FDu);
    const Point b = KeyPoint(IndexOfUsage(5));
    head->MouseMove(w, {b.x - 60, b.y - 40});
    head->MouseDown(w, MouseButton::Left, {b.x - 60, b.y - 40});
    head->MouseMove(w, {b.x + 60, b.y + 40});
    ASSERT_TRUE(kb->IsBandOpen());
    paint();
    EXPECT_EQ(head->Pixel(w, {b.x - 58, b.y - 39}), 0xFF4CFF29u);
    head->MouseUp(w, MouseButton::Left, {b.x + 60, b.y + 40});
    // Light sequence: cyan at the key's brightness of the current frame.
    kb->SetKeyboardCtrlMode(KeyboardCtrl::LightSequence);
    std::vector<uint8_t> data(104, 0);
    data[a] = 255;
    kb->SetLightModeData(data.data(), 104);
    paint();
    EXPECT_EQ(head->Pixel(w, edge), 0xFF00FFFFu);
    EXPECT_NE(head->Pixel(w, {(kb->KeyScreenRect(0).left + kb->KeyScreenRect(0).right) / 2,
                              kb->KeyScreenRect(0).top}),
              0xFF00FFFFu);
    // Music: the key's colour at the music brightness.
    kb->SetKeyboardCtrlMode(KeyboardCtrl::Music);
    kb->SetMusicBrightness(255);
    kb->SetMusicBrightness(254);
    kb->SetKeyColor(4, 0x0000FF);
    paint();
    EXPECT_TRUE(Near(head->Pixel(w, edge), 0xFFFF0000u, 3));
    // Without a picture the preview modes draw nothing; the plain mode still draws the keys.
    auto* bare = dynamic_cast<KeyboardCtrl*>(
        page->CreateControl("KeyboardCtrl", 101, Rect{10, 300, 400, 400}));
    ASSERT_NE(bare, nullptr);
    EXPECT_FALSE(bare->SetKeyboardImage("no-such-picture.png"));
    bare->AddKeyItem("A", "A", 4, Rect{20, 20, 60, 50});
    const Rect bareKey = bare->KeyScreenRect(0);
    const Point inside{bareKey.left + 3, bareKey.top + 3};
    const uint32_t before = head->Pixel(w, inside);
    bare->SetKeyboardCtrlMode(KeyboardCtrl::PerKeyColor);
    paint();
    EXPECT_EQ(head->Pixel(w, inside), before);
    bare->SetKeyboardCtrlMode(KeyboardCtrl::Plain);
    paint();
    EXPECT_EQ(head->Pixel(w, inside), 0xFF007ACCu);
}

TEST_F(KeyboardCtrlTest, IndexArgumentsOutOfRangeChangeNothing) {
    for (int bad : {-2, 104, 1 << 30, -(1 << 30)}) {
        EXPECT_FALSE(kb->SetSelectItem(bad)) << bad;
        EXPECT_TRUE(kb->KeyScreenRect(bad).IsEmpty()) << bad;
        kb->SetTips(bad, Rect{0, 0, 10, 10}, true);
    }
    EXPECT_EQ(kb->GetTipWindow(), nullptr);
    EXPECT_TRUE(kb->SetSelectItem(-1));
    EXPECT_TRUE(kb->SetSelectItem(103));
    EXPECT_EQ(kb->GetSelectItem(), 103);
    kb->SetMusicBrightness(-10);
    EXPECT_EQ(kb->GetMusicBrightness(), 0);
    kb->SetMusicBrightness(1000);
    EXPECT_EQ(kb->GetMusicBrightness(), 255);
}

TEST_F(KeyboardCtrlTest, TipShowsOverTheRestingPointer) {
    kb->EnableKBTips(true);
    kb->SetTipKey(41, "Escape", "Leaves menus");
    const Point esc = KeyPoint(0);
    head->MouseMove(w, esc);
    EXPECT_EQ(kb->GetHoverItem(), 0);
    head->MouseMove(w, {esc.x + 1, esc.y});
    CKeyboardTips* tip = kb->GetTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->IsWindowVisible());
    EXPECT_EQ(tip->GetTitle(), "Esc");
    EXPECT_EQ(tip->GetSubtitle(), "Escape");
    EXPECT_EQ(tip->GetDescription(), "Leaves menus");
    const Rect key = kb->KeyScreenRect(0);
    const Point top = dlg.ClientToScreen(Point{(key.left + key.right) / 2, key.top});
    EXPECT_EQ(tip->GetAnchor(), top);
    EXPECT_EQ(tip->GetWindowRect(), (Rect{top.x - 95, top.y - 100, top.x + 95, top.y}));
    // Another key hides it; resting there shows that key's plain description.
    head->MouseMove(w, KeyPoint(1));
    EXPECT_FALSE(tip->IsWindowVisible());
    head->MouseMove(w, KeyPoint(1));
    EXPECT_TRUE(tip->IsWindowVisible());
    EXPECT_EQ(tip->GetSubtitle(), "Keyboard");
    EXPECT_EQ(tip->GetDescription(), "F1");
    kb->ResetTipKey();
    EXPECT_TRUE(kb->GetKeyItems()[0]->tipTitle.empty());
}

TEST_F(KeyboardCtrlTest, PerKeyColoursLookAsBefore) {
    kb->SetKeyboardCtrlMode(KeyboardCtrl::PerKeyColor);
    const uint32_t rainbow[] = {0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00,
                                0xFFFF00, 0xFF0000, 0xFF00FF};
    int i = 0;
    for (KEY_INFO* k : kb->GetKeyItems())
        kb->SetKeyColor(k->keyValue, rainbow[(k->rect.left / 60 + i++ % 2) % 7]);
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(CompareWithReference(head->Frame(w), "keyboard_per_key_colours"), "");
}

class KeyFuncControlTest : public KeyboardCtrlTest {
protected:
    void SetUp() override {
        KeyboardCtrlTest::SetUp();
        kb->SetVisible(false);
        func = dynamic_cast<KeyFuncControl*>(
            page->CreateControl("KeyFuncControl", 200, Rect{20, 260, 930, 500}));
        ASSERT_NE(func, nullptr);
    }
    Point ItemPoint(int index) const {
        KeyFuncItem item;
        func->GetItem(index, item);
        return {20 + (item.rect.left + item.rect.right) / 2,
                260 + (item.rect.top + item.rect.bottom) / 2};
    }
    KeyFuncControl* func = nullptr;
};

TEST_F(KeyFuncControlTest, BuiltInItemsSitAtTheirPlaces) {
    EXPECT_EQ(dlg.CreateControl("KeyFuncControl", 201, Rect{0, 0, 10, 10}), nullptr);
    ASSERT_EQ(func->GetItemCount(), 18 + 104);
    KeyFuncItem item;
    ASSERT_TRUE(func->GetItem(0, item));
    EXPECT_EQ(item.data, 249);
    EXPECT_EQ(item.rect, (Rect{0, 0, 43, 28}));
    EXPECT_NE(item.icon, nullptr);
    EXPECT_TRUE(item.text.empty());
    ASSERT_TRUE(func->GetItem(17, item));
    EXPECT_EQ(item.data, 247);
    EXPECT_EQ(item.rect, (Rect{816, 0, 859, 28}));
    ASSERT_TRUE(func->GetItem(18 + 57, item));
    EXPECT_EQ(item.text, "+");
    EXPECT_EQ(item.data, 87);
    EXPECT_EQ(item.rect, (Rect{867, 109, 903, 170}));
    ASSERT_TRUE(func->GetItem(18 + 103, item));
    EXPECT_EQ(item.text, ".");
    EXPECT_EQ(item.rect, (Rect{789, 208, 864, 236}));
    std::set<int> usages;
    for (int i = 18; i < func->GetItemCount(); ++i) {
        func->GetItem(i, item);
        EXPECT_EQ(item.second, 0);
        EXPECT_EQ(item.third, 0);
        usages.insert(item.data);
    }
    EXPECT_EQ(usages.size(), 104u); // every usage id once
    for (int bad : {-1, 122, 1 << 30})
        EXPECT_FALSE(func->GetItem(bad, item)) << bad;
}

TEST_F(KeyFuncControlTest, PressingF1PicksItsUsage) {
    int first = 77, data = 0, second = 9, third = 9;
    std::string text = "x";
    EXPECT_FALSE(func->GetCurItemData(first, data, second, third, text));
    const int f1 = 18 + 1;
    Click(ItemPoint(f1));
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{200, 1, static_cast<WPARAM>(f1), 0}}));
    ASSERT_TRUE(func->GetCurItemData(first, data, second, third, text));
    EXPECT_EQ(first, 77);
    EXPECT_EQ(data, 58);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(third, 0);
    EXPECT_EQ(text, "F1");
    // Empty space between the rows: the press still reports, with no item.
    dlg.notes.clear();
    Click({20 + 5, 260 + 32});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{200, 1, kNone, 0}}));
    EXPECT_FALSE(func->GetCurItemData(first, data, second, third, text));

    func->SetItemCheckByItemData(58, 0, 0);
    EXPECT_EQ(func->GetCheckedItem(), f1);
    func->SetItemCheckByItemData(58, 1, 0);
    EXPECT_EQ(func->GetCheckedItem(), -1);
    func->SetItemCheckByItemData(0, 0, 0);
    EXPECT_EQ(func->GetCheckedItem(), -1);
    func->SetItemDesc(58, "Help");
    KeyFuncItem item;
    func->GetItem(f1, item);
    EXPECT_EQ(item.text, "Help");
}

TEST_F(KeyFuncControlTest, ChooserLooksAsBefore) {
    func->SetItemCheckByItemData(4, 0, 0); // A
    head->MouseMove(w, ItemPoint(3));      // hovering the multimedia button
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(CompareWithReference(head->Frame(w), "key_function_chooser"), "");
}

} // namespace
} // namespace TolvaTest
