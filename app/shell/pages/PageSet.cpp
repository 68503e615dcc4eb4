#include "app/shell/pages/PageSet.h"

#include "app/shell/pages/ConfigPage.h"
#include "app/shell/pages/KeyboardConfigPage.h"
#include "app/shell/pages/KeyboardKeyPage.h"
#include "app/shell/pages/KeyboardLightPage.h"
#include "app/shell/pages/LightingPage.h"
#include "app/shell/pages/MacroPage.h"
#include "app/shell/pages/MouseKeyPage.h"
#include "app/shell/pages/PointerPage.h"
#include "app/shell/pages/ProfilePage.h"

std::vector<std::unique_ptr<ShellPage>> PageSet::Create(PageHost& host) {
    std::vector<std::unique_ptr<ShellPage>> pages;
    // One line per page class; a page that is not built yet leaves its layout empty.
    // First: its reload settles the current profile the other pages load.
    pages.push_back(std::make_unique<ProfilePage>(host));
    pages.push_back(std::make_unique<ProfilePage>(host, ProfilePage::KeyboardFamily()));
    pages.push_back(std::make_unique<MouseKeyPage>(host));
    pages.push_back(std::make_unique<ConfigPage>(host));
    pages.push_back(std::make_unique<PointerPage>(host));
    pages.push_back(std::make_unique<MacroPage>(host));
    pages.push_back(std::make_unique<LightingPage>(host));
    pages.push_back(std::make_unique<KeyboardKeyPage>(host));
    pages.push_back(std::make_unique<KeyboardLightPage>(host));
    pages.push_back(std::make_unique<KeyboardConfigPage>(host));
    return pages;
}
