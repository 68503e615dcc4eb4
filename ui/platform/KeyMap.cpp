#include "ui/platform/KeyMap.h"

#include <gdk/gdkkeysyms.h>

#include "ui/platform/VirtualKeys.h"

namespace Tolva {

int KeyMap::VirtualKey(unsigned k) {
    if (k >= GDK_KEY_a && k <= GDK_KEY_z) return static_cast<int>('A' + (k - GDK_KEY_a));
    if (k >= GDK_KEY_A && k <= GDK_KEY_Z) return static_cast<int>(k);
    if (k >= GDK_KEY_0 && k <= GDK_KEY_9) return static_cast<int>(k);
    if (k >= GDK_KEY_F1 && k <= GDK_KEY_F24) return VK_F1 + static_cast<int>(k - GDK_KEY_F1);
    if (k >= GDK_KEY_KP_0 && k <= GDK_KEY_KP_9)
        return VK_NUMPAD0 + static_cast<int>(k - GDK_KEY_KP_0);
    switch (k) {
    case GDK_KEY_BackSpace:
        return VK_BACK;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
        return VK_TAB;
    case GDK_KEY_Clear:
    case GDK_KEY_KP_Begin: // keypad 5 without Num Lock
        return VK_CLEAR;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
        return VK_RETURN;
    case GDK_KEY_Shift_L:
        return VK_LSHIFT;
    case GDK_KEY_Shift_R:
        return VK_RSHIFT;
    case GDK_KEY_Control_L:
        return VK_LCONTROL;
    case GDK_KEY_Control_R:
        return VK_RCONTROL;
    case GDK_KEY_Alt_L:
    case GDK_KEY_Meta_L:
        return VK_LMENU;
    case GDK_KEY_Alt_R:
    case GDK_KEY_ISO_Level3_Shift:
        return VK_RMENU;
    case GDK_KEY_Pause:
        return VK_PAUSE;
    case GDK_KEY_Caps_Lock:
        return VK_CAPITAL;
    case GDK_KEY_Escape:
        return VK_ESCAPE;
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
        return VK_SPACE;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
        return VK_PRIOR;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
        return VK_NEXT;
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
        return VK_END;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
        return VK_HOME;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
        return VK_LEFT;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
        return VK_UP;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
        return VK_RIGHT;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
        return VK_DOWN;
    case GDK_KEY_Print:
        return VK_SNAPSHOT;
    case GDK_KEY_Insert:
    case GDK_KEY_KP_Insert:
        return VK_INSERT;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
        return VK_DELETE;
    case GDK_KEY_Super_L:
        return VK_LWIN;
    case GDK_KEY_Super_R:
        return VK_RWIN;
    case GDK_KEY_Menu:
        return VK_APPS;
    case GDK_KEY_KP_Multiply:
        return VK_MULTIPLY;
    case GDK_KEY_KP_Add:
        return VK_ADD;
    case GDK_KEY_KP_Separator:
        return VK_SEPARATOR;
    case GDK_KEY_KP_Subtract:
        return VK_SUBTRACT;
    case GDK_KEY_KP_Decimal:
        return VK_DECIMAL;
    case GDK_KEY_KP_Divide:
        return VK_DIVIDE;
    case GDK_KEY_Num_Lock:
        return VK_NUMLOCK;
    case GDK_KEY_Scroll_Lock:
        return VK_SCROLL;
    case GDK_KEY_Back:
        return VK_BROWSER_BACK;
    case GDK_KEY_Forward:
        return VK_BROWSER_FORWARD;
    case GDK_KEY_Refresh:
        return VK_BROWSER_REFRESH;
    case GDK_KEY_Stop:
        return VK_BROWSER_STOP;
    case GDK_KEY_Search:
        return VK_BROWSER_SEARCH;
    case GDK_KEY_Favorites:
        return VK_BROWSER_FAVORITES;
    case GDK_KEY_HomePage:
        return VK_BROWSER_HOME;
    case GDK_KEY_AudioMute:
        return VK_VOLUME_MUTE;
    case GDK_KEY_AudioLowerVolume:
        return VK_VOLUME_DOWN;
    case GDK_KEY_AudioRaiseVolume:
        return VK_VOLUME_UP;
    case GDK_KEY_AudioNext:
        return VK_MEDIA_NEXT_TRACK;
    case GDK_KEY_AudioPrev:
        return VK_MEDIA_PREV_TRACK;
    case GDK_KEY_AudioStop:
        return VK_MEDIA_STOP;
    case GDK_KEY_AudioPlay:
    case GDK_KEY_AudioPause:
        return VK_MEDIA_PLAY_PAUSE;
    case GDK_KEY_Mail:
        return VK_LAUNCH_MAIL;
    case GDK_KEY_AudioMedia:
        return VK_LAUNCH_MEDIA_SELECT;
    case GDK_KEY_MyComputer:
        return VK_LAUNCH_APP1;
    case GDK_KEY_Calculator:
        return VK_LAUNCH_APP2;
    case GDK_KEY_semicolon:
    case GDK_KEY_colon:
        return VK_OEM_1;
    case GDK_KEY_equal:
    case GDK_KEY_plus:
        return VK_OEM_PLUS;
    case GDK_KEY_comma:
    case GDK_KEY_less:
        return VK_OEM_COMMA;
    case GDK_KEY_minus:
    case GDK_KEY_underscore:
        return VK_OEM_MINUS;
    case GDK_KEY_period:
    case GDK_KEY_greater:
        return VK_OEM_PERIOD;
    case GDK_KEY_slash:
    case GDK_KEY_question:
        return VK_OEM_2;
    case GDK_KEY_grave:
    case GDK_KEY_asciitilde:
        return VK_OEM_3;
    case GDK_KEY_bracketleft:
    case GDK_KEY_braceleft:
        return VK_OEM_4;
    case GDK_KEY_backslash:
    case GDK_KEY_bar:
        return VK_OEM_5;
    case GDK_KEY_bracketright:
    case GDK_KEY_braceright:
        return VK_OEM_6;
    case GDK_KEY_apostrophe:
    case GDK_KEY_quotedbl:
        return VK_OEM_7;
    // Shifted digits on a US layout.
    case GDK_KEY_exclam:
        return '1';
    case GDK_KEY_at:
        return '2';
    case GDK_KEY_numbersign:
        return '3';
    case GDK_KEY_dollar:
        return '4';
    case GDK_KEY_percent:
        return '5';
    case GDK_KEY_asciicircum:
        return '6';
    case GDK_KEY_ampersand:
        return '7';
    case GDK_KEY_asterisk:
        return '8';
    case GDK_KEY_parenleft:
        return '9';
    case GDK_KEY_parenright:
        return '0';
    default:
        return 0;
    }
}

int KeyMap::ScanCode(unsigned code, bool& extended) {
    extended = false;
    // The main block of evdev codes follows the set-1 numbering.
    if (code >= 1 && code <= 88) return static_cast<int>(code);
    extended = true;
    switch (code) {
    case 96:
        return 0x1C; // keypad Enter
    case 97:
        return 0x1D; // right Control
    case 98:
        return 0x35; // keypad /
    case 99:
        return 0x37; // Print Screen
    case 100:
        return 0x38; // right Alt
    case 102:
        return 0x47; // Home
    case 103:
        return 0x48; // Up
    case 104:
        return 0x49; // Page Up
    case 105:
        return 0x4B; // Left
    case 106:
        return 0x4D; // Right
    case 107:
        return 0x4F; // End
    case 108:
        return 0x50; // Down
    case 109:
        return 0x51; // Page Down
    case 110:
        return 0x52; // Insert
    case 111:
        return 0x53; // Delete
    case 113:
        return 0x20; // mute
    case 114:
        return 0x2E; // volume down
    case 115:
        return 0x30; // volume up
    case 119:
        extended = false;
        return 0x45; // Pause
    case 125:
        return 0x5B; // left Windows
    case 126:
        return 0x5C; // right Windows
    case 127:
        return 0x5D; // menu
    case 163:
        return 0x19; // next track
    case 164:
        return 0x22; // play/pause
    case 165:
        return 0x10; // previous track
    case 166:
        return 0x24; // stop
    default:
        extended = false;
        return 0;
    }
}

} // namespace Tolva
