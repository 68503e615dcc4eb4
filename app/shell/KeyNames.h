#pragma once

#include <cstdint>
#include <string>

// Key identities of the key page and the macro recorder: the key events the main window hands
// to its pages (ShellPage::kKeyEvent), the virtual keys they stand for, the names shown for them
// and the key codes stored in assignments. No state; any thread.
class KeyNames {
public:
    // Key codes of the program's own beyond the keyboard usages.
    static constexpr int kFnKey = 175;
    static constexpr int kFirstMouseCode = 208;
    static constexpr int kShiftCode = 225;

    // One key event as the pages see it.
    struct KeyEvent {
        int virtualKey = 0; // after the keypad and modifier rules; 0: ignore the event
        int scanCode = 0;
        bool extended = false;
        bool release = false;
    };

    // Decodes kKeyEvent's parameters (wparam = virtual key; lparam = the key message's lParam:
    // scan code in bits 16-23, extended bit 24, bit 31 on a release) and applies Normalise.
    static KeyEvent Decode(uintptr_t wparam, intptr_t lparam);

    // The keypad keys arrive as navigation keys when Num Lock is off: a non-extended event with
    // a keypad scan code becomes the keypad digit (or decimal) whatever the lock state, and the
    // extended Enter becomes keypad Enter (108). The window's generic Shift, Ctrl and Alt (16,
    // 17, 18) become their left or right keys by scan code and extended bit. Other keys keep
    // their virtual key.
    static int Normalise(int virtualKey, int scanCode, bool extended);

    // The name of a virtual key as the key edit shows it ("A", "Shift", "Num 5", "Page Up");
    // empty for a key without a name.
    static std::string VirtualKeyName(int virtualKey);

    // The key code stored for a virtual key (HID keyboard usage or one of the program's own
    // codes); 0 for a key that has none.
    static int KeyCodeFromVirtualKey(int virtualKey);

    // The display name of a stored key code ("Enter", "Num 1", "Left button"); empty for a code
    // without a name.
    static std::string KeyCodeName(int keyCode);
};
