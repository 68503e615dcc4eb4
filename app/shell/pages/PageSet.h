#pragma once

#include "app/shell/pages/ShellPage.h"

#include <memory>
#include <vector>

// The pages the main window builds, in routing order (the first page that takes an id wins).
class PageSet {
public:
    static std::vector<std::unique_ptr<ShellPage>> Create(PageHost& host);
};
