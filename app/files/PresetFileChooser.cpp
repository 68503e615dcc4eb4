#include "app/files/PresetFileChooser.h"

bool PresetFileChooser::Answer(const std::string& filterName, std::string& path) {
    lastFilter_ = filterName;
    ++timesAsked_;
    if (path_.empty()) return false;
    path = path_;
    return true;
}

bool PresetFileChooser::ChooseSaveFile(const std::string& filterName, const std::string&,
                                       std::string& path) {
    return Answer(filterName, path);
}

bool PresetFileChooser::ChooseOpenFile(const std::string& filterName, const std::string&,
                                       std::string& path) {
    return Answer(filterName, path);
}
