#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Platform.h"

#include <cstdint>
#include <set>
#include <string>

namespace Tolva {

class MWindow;

// Process-wide settings of the library.
class TOLVA_API Manager {
public:
    static void SetInstance(void* module);
    static void* GetInstance();
    // Starts the window layer (from the environment: TOLVA_BACKEND=headless or GTK) unless it
    // already runs; false when no back end can start.
    static bool InitGdiplus();
    static void UnInitGdiplus();
    // Gets and dispatches messages until quit; returns the quit code.
    static int MessageLoop();
    // Swallows key messages while Alt and F4 are both held.
    static bool PreTranslateMessage(const Message& msg);
    static void AddWnd(MWindow* window);
    static void DeleteWnd(MWindow* window);
    static bool IsLiveWnd(const MWindow* window);
    // The live window object of a native window, or null.
    static MWindow* FindWnd(const NativeWindow* hwnd);

    static void SetFont(const std::string& name, int width);
    static void SetFontName(const std::string& name);
    static std::string GetFontName();
    static int GetFontWidth();
    static uint32_t GetSelectColor();
    static std::string GetTheme();
    // The application hands its program folder over at start, so that skins and fonts come from
    // the folder it uses itself ("/" is appended when missing; "" goes back to the rule below).
    static void SetProgramFolder(const std::string& folder);
    // The program folder, ending with "/": the one handed over; else $PIVANE_HOME; else the
    // executable's folder when it holds config.xml; else <executable's folder>/../share/pivane/.
    static std::string GetProgramFolder();
    // The rule without a handed-over folder, for an executable in `exeFolder` (ending with "/").
    static std::string DefaultProgramFolder(const std::string& exeFolder);
    // Program folder + "skins/" + theme.
    static std::string GetSkinFolder();
    static std::string GetFontFolder();
    // A running id counter for controls made without an explicit id.
    static unsigned NextControlId();
};

} // namespace Tolva
