#pragma once

#include "app/files/FileChooser.h"

// The desktop's file dialog (GtkFileChooserNative, modal on the window thread). Answers as a
// cancelled dialog when the window layer is not GTK (the headless back end of the tests).
class DesktopFileChooser : public FileChooser {
public:
    bool ChooseSaveFile(const std::string& filterName, const std::string& pattern,
                        std::string& path) override;
    bool ChooseOpenFile(const std::string& filterName, const std::string& pattern,
                        std::string& path) override;

private:
    bool Run(bool save, const std::string& filterName, const std::string& pattern,
             std::string& path);
};
