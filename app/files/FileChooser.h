#pragma once

#include <string>

// The file dialog of the exchange commands. The program passes the desktop's dialog; tools and
// tests pass a chooser that answers with a path given beforehand.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // filterName is shown to the user ("Profile (*.xml)"), pattern filters the list ("*.xml").
    // False when the user cancelled; path is then unspecified. The chosen name is used exactly
    // as given: no extension is added.
    virtual bool ChooseSaveFile(const std::string& filterName, const std::string& pattern,
                                std::string& path) = 0;
    virtual bool ChooseOpenFile(const std::string& filterName, const std::string& pattern,
                                std::string& path) = 0;
};
