#pragma once

#include "app/shell/pages/ShellPage.h"

#include <memory>
#include <string>
#include <vector>

#include "ui/platform/Geometry.h"

class FileChooser;

namespace Tolva {
class CImageButton;
class DListBox;
} // namespace Tolva

// The profile list beside the key page of either family (mouse: layout 501, keyboards: layout
// 51): new, delete, rename, import, export and the choice of the active profile. A change of
// profile makes the window's current profile follow, reloads every page and has the worker tell
// the device (mouse: task 12 for a choice, task 14 to resend the buttons after new, delete and
// import; keyboards: the key table and the lighting, tasks 6 and 7).
class ProfilePage : public ShellPage {
public:
    // What differs between the two families' lists.
    struct Family {
        int pageId;
        unsigned layoutId;
        unsigned newId, deleteId, renameId, importId, exportId, listId;
        Tolva::Rect listArea;
        bool buttonsBeside; // the buttons in a column right of the list, else a row below it
        std::vector<int> chooseTasks;
        std::vector<int> changeTasks;
        bool keyboards; // device types up to 600, else the mouse family
    };
    static const Family& MouseFamily();
    static const Family& KeyboardFamily();

    static constexpr unsigned kLayoutId = 501;
    static constexpr unsigned kNewId = 506;
    static constexpr unsigned kDeleteId = 507;
    static constexpr unsigned kRenameId = 508;
    static constexpr unsigned kImportId = 509;
    static constexpr unsigned kExportId = 510;
    static constexpr unsigned kListId = 512;
    // The list's context menu asks for a rename.
    static constexpr uint32_t kRenameMessage = 1826;

    static constexpr int kProfileWordText = 65;
    static constexpr int kMaxNumber = 1000;

    explicit ProfilePage(PageHost& host);
    ProfilePage(PageHost& host, const Family& family);
    ~ProfilePage() override;

    // Lives on the key page's tab; no page of its own.
    int PageId() const override { return family_.pageId; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    bool OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

    // The operations behind the buttons; false when nothing changed.
    bool NewProfile();
    bool DeleteSelected();
    bool Choose(int index);
    bool StartRename();
    bool Import();
    bool Export();

    // "<word> <n>" with the smallest n in 1..1000 that no listed name uses (1000 when all are).
    std::string UniqueName() const;
    // The file dialog (tests give one that answers with a prepared path); owned.
    void SetFileChooser(std::unique_ptr<FileChooser> chooser);
    Tolva::DListBox* List() const { return list_; }

private:
    void Fill();
    // Makes the profile current and active everywhere, then reloads the pages and queues task.
    void SwitchTo(int profile, const std::vector<int>& tasks);
    void OnRenamed(int index);
    bool IsFamilyShown() const;

    const Family& family_;
    Tolva::DListBox* list_ = nullptr;
    Tolva::CImageButton* buttons_[5] = {};
    std::unique_ptr<FileChooser> chooser_;
};
