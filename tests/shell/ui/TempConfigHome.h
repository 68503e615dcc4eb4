#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

// Points XDG_CONFIG_HOME (the registry file and the autostart entry live there) and the
// desktop's language variables at values of the test's own, and puts everything back after.
class TempConfigHome {
public:
    TempConfigHome() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value != nullptr, value ? value : ""});
        }
        char pattern[] = "/tmp/pivane-config-XXXXXX";
        if (const char* made = mkdtemp(pattern)) folder_ = made;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        SetDesktopLanguage("en_US.UTF-8");
    }
    ~TempConfigHome() {
        for (const auto& s : saved_) {
            if (s.had)
                setenv(s.name, s.value.c_str(), 1);
            else
                unsetenv(s.name);
        }
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    void SetDesktopLanguage(const std::string& locale) {
        unsetenv("LANGUAGE");
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", locale.c_str(), 1);
    }
    const std::string& Folder() const { return folder_; }

    // A file's bytes, or "<missing>" when it cannot be read.
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return "<missing>";
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

private:
    static constexpr const char* kNames[] = {"XDG_CONFIG_HOME", "LANGUAGE", "LC_ALL", "LC_MESSAGES",
                                             "LANG"};
    struct Saved {
        const char* name;
        bool had;
        std::string value;
    };
    std::vector<Saved> saved_;
    std::string folder_;
};
