#pragma once

#include <string>
#include <sys/types.h>

// Replaces a small file whole: the content goes to a temporary file beside it, is flushed to the
// disk and renamed over the old one, so a reader (or a crash) never sees half a file.
class FileReplacer {
public:
    // False when any step failed; the old file is then left as it was and no temporary file
    // stays behind.
    static bool Replace(const std::string& path, const std::string& content, mode_t mode);
};
