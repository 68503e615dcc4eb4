#pragma once

#include <string>

// Where Pivane keeps its files on Linux. Every folder returned ends with "/".
class AppFolders {
public:
    // The user's Documents folder (XDG DOCUMENTS, else $HOME/Documents) + "/ORMAN-QV7 Files/".
    // Empty when neither can be found.
    static std::string DataFolder();
    // $PIVANE_HOME when set; else the executable's folder when it holds config.xml; else
    // <executable folder>/../share/pivane/. Empty when the executable cannot be located.
    static std::string ProgramFolder();
    // Creates every missing level of path. True when path is a folder afterwards; false when it
    // cannot be created or a non-folder is in the way.
    static bool EnsureFolderExists(const std::string& path);
};
