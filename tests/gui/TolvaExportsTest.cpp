// libtolva.so must export Tolva's public classes and nothing else.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The library's classes as the application knows them; each one, once its header exists, must be
// public and exported.
const std::vector<std::string> kLibraryClasses = {
    "MObject", "MControl", "MControlFont", "MPanel", "CArea", "MWindow", "MDialog", "MenuWnd",
    "MPopupWnd", "MAirBladder", "LoadingWnd", "CKeyboardTips", "QZTimer", "PaintManager", "MShadow",
    "Manager", "MRender", "MImageList", "MButton", "CImageButton", "CTextButton", "CCheckButton",
    "CRadioButton", "CColorButton", "CSwitchButton", "CIconButton", "CTimerButton", "CHelpButton",
    "UpgradeButton", "DownloadButton", "MComboBox", "CColorCombo", "MEdit", "MLevelCtrl",
    "MenuItem", "MPalette", "CirclePalette", "MPicture", "CPhotoFrame", "CSliderPicture",
    "CGifPicture", "MProgress", "MScroll", "CScrollVertical", "CScrollHorizontal", "MSlider",
    "MTabCtrl", "MText", "CTextArea", "BatteryCtrl", "CDeviceCtrl", "MTabLayout", "MListBox",
    "DListBox", "CRecordList", "CComboBoxList", "MSpinButton", "MRichEdit", "MEditEx", "CLogonEdit",
    "CSpinButton", "CColorPalette", "CColorSelect", "KeyboardCtrl", "KeyFuncControl", "DPIControl",
    "MouseKeyCtrl", "MouseCtrl", "MouseLight",
    // The window layer the program drives directly.
    "Platform", "NativeWindow", "NativeEdit", "EditListener", "ToolTipWindow", "HeadlessBackend"};

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Classes declared `class TOLVA_API Name` in the library's headers, with the header they are in.
std::map<std::string, fs::path> PublicClasses(const fs::path& uiDir) {
    std::map<std::string, fs::path> out;
    const std::string marker = "TOLVA_API";
    for (const auto& entry : fs::recursive_directory_iterator(uiDir)) {
        if (entry.path().extension() != ".h") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string s = text.str();
        for (size_t at = s.find(marker); at != std::string::npos; at = s.find(marker, at + 1)) {
            // "class TOLVA_API Name" or "struct TOLVA_API Name"
            size_t keyEnd = s.find_last_not_of(" \t", at - 1);
            if (keyEnd == std::string::npos) continue;
            size_t keyStart = s.find_last_of(" \t\n", keyEnd);
            std::string key =
                s.substr(keyStart == std::string::npos ? 0 : keyStart + 1,
                         keyEnd - (keyStart == std::string::npos ? 0 : keyStart + 1) + 1);
            if (key != "class" && key != "struct") continue;
            size_t nameStart = s.find_first_not_of(" \t", at + marker.size());
            size_t nameEnd = nameStart;
            while (nameEnd < s.size() &&
                   (std::isalnum(static_cast<unsigned char>(s[nameEnd])) || s[nameEnd] == '_'))
                ++nameEnd;
            if (nameEnd > nameStart) out[s.substr(nameStart, nameEnd - nameStart)] = entry.path();
        }
    }
    return out;
}

// The class a demangled dynamic symbol belongs to ("" when it is not in namespace Tolva).
std::string OwnerClass(std::string name) {
    for (const char* prefix : {"typeinfo name for ", "typeinfo for ", "vtable for ", "VTT for ",
                               "construction vtable for ", "non-virtual thunk to ",
                               "virtual thunk to ", "guard variable for "}) {
        if (name.rfind(prefix, 0) == 0) {
            name = name.substr(std::string(prefix).size());
            break;
        }
    }
    // Return types come first for templates only; Tolva exports none.
    const std::string ns = "Tolva::";
    if (name.rfind(ns, 0) != 0) return "";
    name = name.substr(ns.size());
    size_t end = name.find_first_of(":(< ");
    return name.substr(0, end);
}

struct Symbol {
    char type = 0;
    std::string name;
};

std::vector<Symbol> DynamicSymbols(const std::string& library) {
    std::vector<Symbol> out;
    const std::string cmd = "nm -D --defined-only -C '" + library + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return out;
    char line[8192];
    while (fgets(line, sizeof line, pipe)) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        // "<address> <type> <name>"
        size_t a = s.find(' ');
        if (a == std::string::npos || a + 3 > s.size()) continue;
        out.push_back({s[a + 1], s.substr(a + 3)});
    }
    pclose(pipe);
    return out;
}

class TolvaExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        library = Env("TOLVA_LIBRARY");
        source = Env("PIVANE_SOURCE_DIR");
        ASSERT_FALSE(library.empty()) << "TOLVA_LIBRARY is not set";
        ASSERT_TRUE(fs::exists(library)) << library;
        ASSERT_TRUE(fs::exists(fs::path(source) / "ui")) << source;
        publicClasses = PublicClasses(fs::path(source) / "ui");
        symbols = DynamicSymbols(library);
        ASSERT_FALSE(symbols.empty()) << "nm found no symbols in " << library;
    }

    std::string library, source;
    std::map<std::string, fs::path> publicClasses;
    std::vector<Symbol> symbols;
};

TEST_F(TolvaExportsTest, NothingButPublicClassesLeaks) {
    std::vector<std::string> leaks;
    for (const Symbol& s : symbols) {
        if (s.type == 'A') continue; // linker markers such as _edata
        const std::string owner = OwnerClass(s.name);
        if (owner.empty() || !publicClasses.count(owner)) leaks.push_back(s.name);
    }
    std::string list;
    for (size_t i = 0; i < leaks.size() && i < 20; ++i)
        list += "\n  " + leaks[i];
    EXPECT_TRUE(leaks.empty()) << leaks.size() << " symbols that are not public classes:" << list;
}

TEST_F(TolvaExportsTest, EveryPublicClassIsExported) {
    std::set<std::string> exported;
    for (const Symbol& s : symbols)
        exported.insert(OwnerClass(s.name));
    for (const auto& [name, header] : publicClasses)
        EXPECT_TRUE(exported.count(name)) << name << " (" << header.string() << ") exports nothing";
}

TEST_F(TolvaExportsTest, LibraryClassesThatExistArePublic) {
    std::set<std::string> headers;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(source) / "ui"))
        if (entry.path().extension() == ".h") headers.insert(entry.path().stem().string());
    int present = 0;
    for (const std::string& name : kLibraryClasses) {
        if (!headers.count(name)) continue; // not built yet
        ++present;
        EXPECT_TRUE(publicClasses.count(name))
            << name << " has a header but is not marked TOLVA_API";
    }
    EXPECT_GT(present, 0);
}

TEST(TolvaExportsNames, OwnerClassReadsDemangledForms) {
    EXPECT_EQ(OwnerClass("Tolva::MControl::SetRect(Tolva::Rect const&)"), "MControl");
    EXPECT_EQ(OwnerClass("vtable for Tolva::MDialog"), "MDialog");
    EXPECT_EQ(OwnerClass("typeinfo name for Tolva::NativeWindow"), "NativeWindow");
    EXPECT_EQ(OwnerClass("non-virtual thunk to Tolva::MDialog::OnBaseMessage(unsigned int)"),
              "MDialog");
    EXPECT_EQ(OwnerClass("Tolva::MakeThing(int)"), "MakeThing");
    EXPECT_EQ(OwnerClass("Tolva::ControlFactory::Registrar::Registrar(std::string const&)"),
              "ControlFactory");
    EXPECT_EQ(OwnerClass("std::vector<Tolva::Rect>::push_back(Tolva::Rect const&)"), "");
    EXPECT_EQ(OwnerClass("typeinfo for std::_Sp_counted_base<(__gnu_cxx::_Lock_policy)2>"), "");
}

} // namespace
