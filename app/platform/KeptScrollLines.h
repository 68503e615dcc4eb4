#pragma once

#include <string>

// Wheel lines per notch as the program keeps them where the desktop has no such setting: one
// value in a small file of its own, replaced whole on every change. Without a file (or with a
// damaged one) the value is 3, the usual desktop default.
class KeptScrollLines {
public:
    static constexpr int kDefaultLines = 3;

    // An empty path keeps the value in memory only.
    explicit KeptScrollLines(std::string path);

    int Lines() const { return lines_; }
    // False when the file could not be written (the value is then kept in memory only).
    bool SetLines(int lines);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int lines_ = kDefaultLines;
};
