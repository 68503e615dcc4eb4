#include "app/platform/AppFolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <glib.h>

namespace fs = std::filesystem;

std::string AppFolders::DataFolder() {
    std::string documents;
    if (const char* special = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS))
        documents = special;
    if (documents.empty()) {
        const char* home = std::getenv("HOME");
        if (home && *home) documents = std::string(home) + "/Documents";
    }
    if (documents.empty()) return {};
    if (documents.back() != '/') documents += '/';
    return documents + "ORMAN-QV7 Files/";
}

std::string AppFolders::ProgramFolder() {
    const char* override = std::getenv("PIVANE_HOME");
    if (override && *override) {
        std::string folder = override;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    fs::path folder = exe.parent_path();
    // An installed copy keeps its data apart from the binary; a build tree keeps it beside it.
    if (!fs::exists(folder / "config.xml", ec))
        folder = (folder / ".." / "share" / "pivane").lexically_normal();
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

bool AppFolders::EnsureFolderExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::path target(path);
    // create_directories treats a trailing separator as one more (empty) level.
    while (target.has_relative_path() && !target.has_filename() && target != target.root_path())
        target = target.parent_path();
    if (fs::is_directory(target, ec)) return true;
    fs::create_directories(target, ec);
    // A file in the way is a failure, not "already exists".
    return fs::is_directory(target, ec);
}
