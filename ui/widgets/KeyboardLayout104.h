#pragma once

#include <array>

namespace Tolva {

// The full keyboard of the key-function chooser: legend, USB HID keyboard usage and rectangle
// (left, top, right, bottom) in the chooser's coordinates. The skin generator draws the keyboard
// picture from the same table, so that keys laid over it match.
// The keyboard picture of the skin ("keyboard//keyboard_104.png") holds these keys moved by
// (kKeyboardPictureKeyX, kKeyboardPictureKeyY).
inline constexpr int kKeyboardPictureWidth = 920;
inline constexpr int kKeyboardPictureHeight = 214;
inline constexpr int kKeyboardPictureKeyX = 8;
inline constexpr int kKeyboardPictureKeyY = -30;
inline constexpr const char* kKeyboardPicture = "keyboard//keyboard_104.png";

struct KeyboardLayoutKey {
    const char* legend;
    int usage;
    int left, top, right, bottom;
};

inline constexpr std::array<KeyboardLayoutKey, 104> kKeyboardLayout104 = {{
    {"Esc", 41, 0, 38, 36, 66},
    {"F1", 58, 78, 38, 114, 66},
    {"F2", 59, 117, 38, 153, 66},
    {"F3", 60, 156, 38, 192, 66},
    {"F4", 61, 195, 38, 231, 66},
    {"F5", 62, 260, 38, 296, 66},
    {"F6", 63, 299, 38, 335, 66},
    {"F7", 64, 338, 38, 374, 66},
    {"F8", 65, 377, 38, 413, 66},
    {"F9", 66, 442, 38, 478, 66},
    {"F10", 67, 481, 38, 517, 66},
    {"F11", 68, 520, 38, 556, 66},
    {"F12", 69, 559, 38, 595, 66},
    {"Print", 70, 616, 38, 652, 66},
    {"Scroll Lock", 71, 655, 38, 691, 66},
    {"Pause", 72, 694, 38, 730, 66},

    {"~", 53, 0, 76, 36, 104},
    {"1", 30, 39, 76, 75, 104},
    {"2", 31, 78, 76, 114, 104},
    {"3", 32, 117, 76, 153, 104},
    {"4", 33, 156, 76, 192, 104},
    {"5", 34, 195, 76, 231, 104},
    {"6", 35, 234, 76, 270, 104},
    {"7", 36, 273, 76, 309, 104},
    {"8", 37, 312, 76, 348, 104},
    {"9", 38, 351, 76, 387, 104},
    {"0", 39, 390, 76, 426, 104},
    {"-", 45, 429, 76, 465, 104},
    {"=", 46, 468, 76, 504, 104},
    {"Back", 42, 507, 76, 595, 104},
    {"Ins", 73, 616, 76, 652, 104},
    {"Home", 74, 655, 76, 691, 104},
    {"PgUp", 75, 694, 76, 730, 104},
    {"NumLock", 83, 750, 76, 786, 104},
    {"/", 84, 789, 76, 825, 104},
    {"*", 85, 828, 76, 864, 104},
    {"-", 86, 867, 76, 903, 104},

    {"Tab", 43, 0, 109, 75, 137},
    {"Q", 20, 78, 109, 114, 137},
    {"W", 26, 117, 109, 153, 137},
    {"E", 8, 156, 109, 192, 137},
    {"R", 21, 195, 109, 231, 137},
    {"T", 23, 234, 109, 270, 137},
    {"Y", 28, 273, 109, 309, 137},
    {"U", 24, 312, 109, 348, 137},
    {"I", 12, 351, 109, 387, 137},
    {"O", 18, 390, 109, 426, 137},
    {"P", 19, 429, 109, 465, 137},
    {"[", 47, 468, 109, 503, 137},
    {"]", 48, 507, 109, 542, 137},
    {"\\", 49, 546, 109, 595, 137},
    {"Del", 76, 616, 109, 652, 137},
    {"End", 77, 655, 109, 691, 137},
    {"PgDn", 78, 694, 109, 730, 137},
    {"7", 95, 750, 109, 786, 137},
    {"8", 96, 789, 109, 825, 137},
    {"9", 97, 828, 109, 864, 137},
    {"+", 87, 867, 109, 903, 170},

    {"Caps", 57, 0, 142, 85, 170},
    {"A", 4, 88, 142, 124, 170},
    {"S", 22, 127, 142, 163, 170},
    {"D", 7, 166, 142, 202, 170},
    {"F", 9, 205, 142, 241, 170},
    {"G", 10, 244, 142, 280, 170},
    {"H", 11, 283, 142, 319, 170},
    {"J", 13, 322, 142, 358, 170},
    {"K", 14, 361, 142, 397, 170},
    {"L", 15, 400, 142, 436, 170},
    {";", 51, 439, 142, 475, 170},
    {"'", 52, 478, 142, 514, 170},
    {"Enter", 40, 517, 142, 595, 170},
    {"4", 92, 750, 142, 786, 170},
    {"5", 93, 789, 142, 825, 170},
    {"6", 94, 828, 142, 864, 170},

    {"Shift", 225, 0, 175, 101, 203},
    {"Z", 29, 104, 175, 140, 203},
    {"X", 27, 143, 175, 179, 203},
    {"C", 6, 182, 175, 218, 203},
    {"V", 25, 221, 175, 257, 203},
    {"B", 5, 260, 175, 296, 203},
    {"N", 17, 299, 175, 335, 203},
    {"M", 16, 338, 175, 374, 203},
    {",<", 54, 377, 175, 413, 203},
    {".>", 55, 416, 175, 452, 203},
    {"/?", 56, 455, 175, 491, 203},
    {"Shift", 229, 494, 175, 595, 203},
    {"Up", 82, 655, 175, 691, 203},
    {"1", 89, 750, 175, 786, 203},
    {"2", 90, 789, 175, 825, 203},
    {"3", 91, 828, 175, 864, 203},
    {"Enter", 88, 867, 175, 903, 236},

    {"Ctrl", 224, 0, 208, 50, 236},
    {"Win", 227, 53, 208, 103, 236},
    {"Alt", 226, 106, 208, 156, 236},
    {"Space", 44, 159, 208, 383, 236},
    {"Alt", 230, 386, 208, 436, 236},
    {"Win", 231, 439, 208, 489, 236},
    {"App", 101, 492, 208, 542, 236},
    {"Ctrl", 228, 545, 208, 595, 236},
    {"Left", 80, 616, 208, 652, 236},
    {"Down", 81, 655, 208, 691, 236},
    {"Right", 79, 694, 208, 730, 236},
    {"0", 98, 750, 208, 786, 236},
    {".", 99, 789, 208, 864, 236},
}};

// The 18 function buttons of the chooser's first row: function code and icon file. Each is
// 43 x 28 at y 0..28, x from 0 with a pitch of 48.
struct KeyboardFunctionButton {
    int code;
    const char* icon;
};

inline constexpr std::array<KeyboardFunctionButton, 18> kKeyboardFunctionButtons = {{
    {249, "icon//icon_pc.png"},
    {242, "icon//icon_cal.png"},
    {240, "icon//icon_email.png"},
    {232, "icon//icon_multimedia.png"},
    {238, "icon//icon_playpause.png"},
    {236, "icon//icon_stop.png"},
    {237, "icon//icon_pre.png"},
    {239, "icon//icon_next.png"},
    {233, "icon//icon_vol_down.png"},
    {234, "icon//icon_vol_up.png"},
    {235, "icon//icon_vol_mute.png"},
    {241, "icon//icon_home.png"},
    {246, "icon//icon_web_refresh.png"},
    {245, "icon//icon_web_stop.png"},
    {243, "icon//icon_web_backward.png"},
    {244, "icon//icon_web_foreward.png"},
    {248, "icon//icon_favorites.png"},
    {247, "icon//icon_web_search.png"},
}};

} // namespace Tolva
