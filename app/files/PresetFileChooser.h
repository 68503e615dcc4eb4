#pragma once

#include "app/files/FileChooser.h"

#include <string>

// A "dialog" that answers with a path fixed in advance, for pivanectl and tests. An empty path
// answers as a cancelled dialog. It remembers the filter it was last shown.
class PresetFileChooser : public FileChooser {
public:
    explicit PresetFileChooser(std::string path) : path_(std::move(path)) {}

    bool ChooseSaveFile(const std::string& filterName, const std::string& pattern,
                        std::string& path) override;
    bool ChooseOpenFile(const std::string& filterName, const std::string& pattern,
                        std::string& path) override;

    const std::string& LastFilter() const { return lastFilter_; }
    int TimesAsked() const { return timesAsked_; }

private:
    bool Answer(const std::string& filterName, std::string& path);

    std::string path_;
    std::string lastFilter_;
    int timesAsked_ = 0;
};
