#include "ui/core/ControlFactory.h"

#include "ui/core/CArea.h"
#include "ui/core/MControl.h"

#include <array>
#include <map>
#include <mutex>
#include <string_view>

namespace Tolva {
namespace {

constexpr std::array<std::string_view, 37> kDialogNames = {
    "MText",         "MPicture",      "CPhotoFrame",  "CSliderPicture", "CGifPicture",
    "MProgress",     "MSlider",       "MLevelCtrl",   "MButton",        "CImageButton",
    "CTextButton",   "CCheckButton",  "CRadioButton", "CColorButton",   "MSpinButton",
    "CSpinButton",   "CSwitchButton", "CIconButton",  "CTimerButton",   "CHelpButton",
    "MEdit",         "MRichEdit",     "MEditEx",      "MComboBox",      "MTabCtrl",
    "MTabLayout",    "MListBox",      "MPalette",     "CColorPalette",  "CColorSelect",
    "CirclePalette", "CComboBoxList", "MenuItem",     "KeyboardCtrl",   "CDeviceCtrl",
    "BatteryCtrl",   "CArea"};

// Names only a panel accepts, on top of the dialog's list without "BatteryCtrl".
constexpr std::array<std::string_view, 9> kPanelOnlyNames = {
    "KeyFuncControl", "DListBox",     "CRecordList", "UpgradeButton", "DownloadButton",
    "DPIControl",     "MouseKeyCtrl", "MouseCtrl",   "MouseLight"};

struct Registry {
    std::mutex lock;
    std::map<std::string, ControlFactory::Creator, std::less<>> creators;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

const ControlFactory::Registrar
    kAreaRegistrar("CArea",
                   [](MObject* parent, unsigned id, const Rect& rect, const std::string&,
                      bool visible, bool enabled) -> std::unique_ptr<MControl> {
                       return std::make_unique<CArea>(parent, id, rect, visible, enabled);
                   });

} // namespace

bool ControlFactory::Register(const std::string& className, Creator creator) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    r.creators[className] = std::move(creator);
    return true;
}

bool ControlFactory::IsRegistered(const std::string& className) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    return r.creators.count(className) != 0;
}

bool ControlFactory::IsAccepted(Host host, const std::string& className) {
    if (className.empty()) return false;
    for (std::string_view n : kDialogNames) {
        if (n == className) return host == Host::Dialog || n != "BatteryCtrl";
    }
    if (host == Host::Panel) {
        for (std::string_view n : kPanelOnlyNames)
            if (n == className) return true;
    }
    return false;
}

std::vector<std::string> ControlFactory::AcceptedNames(Host host) {
    std::vector<std::string> out;
    for (std::string_view n : kDialogNames)
        if (IsAccepted(host, std::string(n))) out.emplace_back(n);
    if (host == Host::Panel)
        for (std::string_view n : kPanelOnlyNames)
            out.emplace_back(n);
    return out;
}

std::unique_ptr<MControl> ControlFactory::Create(Host host, const std::string& className,
                                                 MObject* parent, unsigned id, const Rect& rect,
                                                 const std::string& title, bool visible,
                                                 bool enabled) {
    if (!IsAccepted(host, className)) return nullptr;
    Creator creator;
    {
        Registry& r = TheRegistry();
        std::lock_guard guard(r.lock);
        auto it = r.creators.find(className);
        if (it == r.creators.end()) return nullptr;
        creator = it->second;
    }
    return creator(parent, id, rect, title, visible, enabled);
}

} // namespace Tolva
