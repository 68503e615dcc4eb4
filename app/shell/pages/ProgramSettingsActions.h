#pragma once
#include <cstdint>

class PageHost;
namespace Tolva {
class CCheckButton;
class MComboBox;
} // namespace Tolva

// The program-wide choices both configuration pages offer (language, start at login, restore
// defaults), so that the mouse and the keyboard families behave alike. Window thread only.
class ProgramSettingsActions {
public:
    static constexpr uint32_t kApplyTextsMessage = 2022;

    // The language of entry `index` of the box (nothing for an entry without a language id).
    static void ChooseLanguage(PageHost& host, Tolva::MComboBox* box, int index);
    // Writes or removes the autostart entry as the box says, then shows what is on disk.
    static void ApplyAutostart(PageHost& host, Tolva::CCheckButton* box);
    // Asks first (texts 167 / 168); false when the answer was not the first button. Resets the
    // exit mode, the language and autostart; with `deviceShown` also clears the store, reloads
    // the pages and queues the device's reset behind the waiting dialog.
    static bool RestoreDefaults(PageHost& host, Tolva::MComboBox* language,
                                Tolva::CCheckButton* autostart, bool deviceShown);
};
