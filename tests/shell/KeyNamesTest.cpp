#include "app/shell/KeyNames.h"
#include "app/shell/HeldKeys.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The key message's lParam as the window builds it.
intptr_t KeyParam(int scanCode, bool extended, bool release) {
    uint32_t v = 1u | (static_cast<uint32_t>(scanCode & 0xFF) << 16) | (extended ? 1u << 24 : 0u) |
                 (release ? 1u << 31 : 0u);
    return static_cast<intptr_t>(static_cast<int32_t>(v));
}

int CodeOf(uintptr_t vk, int scan, bool extended = false) {
    return KeyNames::KeyCodeFromVirtualKey(
        KeyNames::Decode(vk, KeyParam(scan, extended, false)).virtualKey);
}

std::string NameOf(uintptr_t vk, int scan, bool extended = false) {
    return KeyNames::VirtualKeyName(
        KeyNames::Decode(vk, KeyParam(scan, extended, false)).virtualKey);
}

TEST(KeyNamesTest, ModifiersArriveGenericAndLeaveAsTheirSide) {
    // The window sends 16/17/18 for both sides; the scan code and extended bit tell them apart.
    EXPECT_EQ(CodeOf(16, 0x2A), 225);
    EXPECT_EQ(NameOf(16, 0x2A), "Shift");
    EXPECT_EQ(CodeOf(16, 0x36), 229);
    EXPECT_EQ(NameOf(16, 0x36), "RShift");
    EXPECT_EQ(CodeOf(17, 0x1D), 224);
    EXPECT_EQ(NameOf(17, 0x1D, true), "RCtrl");
    EXPECT_EQ(CodeOf(17, 0x1D, true), 228);
    EXPECT_EQ(NameOf(18, 0x38), "Alt");
    EXPECT_EQ(CodeOf(18, 0x38, true), 230);
    EXPECT_EQ(NameOf(91, 0x5B, true), "Windows");
    EXPECT_EQ(CodeOf(91, 0x5B, true), 227);
}

TEST(KeyNamesTest, KeypadKeysAreKeypadWhateverNumLockSays) {
    // Num Lock off: keypad 5 arrives as Clear, keypad 7 as Home, without the extended bit.
    EXPECT_EQ(CodeOf(12, 76), 93);
    EXPECT_EQ(NameOf(12, 76), "Num 5");
    EXPECT_EQ(CodeOf(36, 71), 95);
    EXPECT_EQ(NameOf(36, 71), "Num 7");
    EXPECT_EQ(CodeOf(45, 82), 98); // keypad 0 / Insert
    EXPECT_EQ(CodeOf(46, 83), 99); // keypad decimal / Delete
    EXPECT_EQ(NameOf(46, 83), "Num Del");
    // The navigation block carries the extended bit and stays what it is.
    EXPECT_EQ(CodeOf(36, 71, true), 74);
    EXPECT_EQ(NameOf(36, 71, true), "Home");
    EXPECT_EQ(NameOf(46, 83, true), "Delete");
    // Keypad Enter is the extended Enter.
    EXPECT_EQ(CodeOf(13, 28, true), 88);
    EXPECT_EQ(NameOf(13, 28, true), "Num Enter");
    EXPECT_EQ(CodeOf(13, 28), 40);
    EXPECT_EQ(NameOf(13, 28), "Enter");
    // A keypad key the window could not name still counts by its scan code.
    EXPECT_EQ(CodeOf(0, 76), 93);
}

TEST(KeyNamesTest, ReleaseBitAndUnknownKeys) {
    const KeyNames::KeyEvent up = KeyNames::Decode('A', KeyParam(0x1E, false, true));
    EXPECT_TRUE(up.release);
    EXPECT_EQ(up.virtualKey, 'A');
    EXPECT_EQ(up.scanCode, 0x1E);
    EXPECT_EQ(KeyNames::Decode(0, KeyParam(0x5F, true, false)).virtualKey, 0);
    EXPECT_EQ(KeyNames::Decode(uintptr_t(1) << 40, KeyParam(0x10, false, false)).virtualKey, 0);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(0xAD), 0); // volume mute has no key code
    EXPECT_EQ(KeyNames::VirtualKeyName(0xAD), "");
}

TEST(KeyNamesTest, NamesOfTheKeyEdit) {
    EXPECT_EQ(KeyNames::VirtualKeyName('Q'), "Q");
    EXPECT_EQ(KeyNames::VirtualKeyName('0'), "0");
    EXPECT_EQ(KeyNames::VirtualKeyName(0x70), "F1");
    EXPECT_EQ(KeyNames::VirtualKeyName(0x87), "F24");
    EXPECT_EQ(KeyNames::VirtualKeyName(19), "Pause");
    EXPECT_EQ(KeyNames::VirtualKeyName(44), "Print Screen");
    EXPECT_EQ(KeyNames::VirtualKeyName(92), "RWindows");
    EXPECT_EQ(KeyNames::VirtualKeyName(93), "Application");
    EXPECT_EQ(KeyNames::VirtualKeyName(144), "Num Lock");
    EXPECT_EQ(KeyNames::VirtualKeyName(33), "Page Up");
    EXPECT_EQ(KeyNames::VirtualKeyName(0xBA), ";");
    EXPECT_EQ(KeyNames::VirtualKeyName(0xDC), "\\");
    EXPECT_EQ(KeyNames::VirtualKeyName(0x6A), "Num *");
}

TEST(KeyNamesTest, CodesOfTheProgramsOwn) {
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(254), 175);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(666), 50);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(136), 136);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(139), 139);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(140), 0);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(301), 236);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(302), 235);
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(0x7C), 104); // F13
    EXPECT_EQ(KeyNames::KeyCodeFromVirtualKey(0xE2), 100);
}

TEST(KeyNamesTest, DisplayNamesOfStoredCodes) {
    EXPECT_EQ(KeyNames::KeyCodeName(4), "A");
    EXPECT_EQ(KeyNames::KeyCodeName(29), "Z");
    EXPECT_EQ(KeyNames::KeyCodeName(30), "1");
    EXPECT_EQ(KeyNames::KeyCodeName(39), "0");
    EXPECT_EQ(KeyNames::KeyCodeName(88), "Enter");
    EXPECT_EQ(KeyNames::KeyCodeName(49), "\\");
    EXPECT_EQ(KeyNames::KeyCodeName(50), "");
    EXPECT_EQ(KeyNames::KeyCodeName(56), "/");
    EXPECT_EQ(KeyNames::KeyCodeName(69), "F12");
    EXPECT_EQ(KeyNames::KeyCodeName(71), "Scrlk");
    EXPECT_EQ(KeyNames::KeyCodeName(82), "Up");
    EXPECT_EQ(KeyNames::KeyCodeName(84), "//");
    EXPECT_EQ(KeyNames::KeyCodeName(89), "Num 1");
    EXPECT_EQ(KeyNames::KeyCodeName(97), "Num 9");
    EXPECT_EQ(KeyNames::KeyCodeName(98), "Num 0");
    EXPECT_EQ(KeyNames::KeyCodeName(99), "Num Del");
    EXPECT_EQ(KeyNames::KeyCodeName(100), "");
    EXPECT_EQ(KeyNames::KeyCodeName(175), "Fn");
    EXPECT_EQ(KeyNames::KeyCodeName(210), "Middle button*");
    EXPECT_EQ(KeyNames::KeyCodeName(214), "DPI-");
    EXPECT_EQ(KeyNames::KeyCodeName(230), "RAlt");
    EXPECT_EQ(KeyNames::KeyCodeName(231), "");
    EXPECT_EQ(KeyNames::KeyCodeName(232), "Palyer");
    EXPECT_EQ(KeyNames::KeyCodeName(239), "Next");
    EXPECT_EQ(KeyNames::KeyCodeName(249), "DPI");
    EXPECT_EQ(KeyNames::KeyCodeName(250), "");
    EXPECT_EQ(KeyNames::KeyCodeName(-1), "");
}

TEST(HeldKeysTest, RepeatsAreNotNewPresses) {
    HeldKeys held;
    EXPECT_TRUE(held.Press('A'));
    EXPECT_FALSE(held.Press('A')); // auto-repeat
    EXPECT_TRUE(held.Press(160));
    EXPECT_EQ(held.Count(), 2);
    EXPECT_TRUE(held.Release('A'));
    EXPECT_FALSE(held.Release('A'));
    EXPECT_FALSE(held.IsHeld('A'));
    EXPECT_TRUE(held.IsHeld(160));
}

} // namespace
