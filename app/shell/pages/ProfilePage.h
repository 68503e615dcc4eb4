#pragma once

#include "app/shell/pages/ShellPage.h"

#include <memory>
#include <string>

class FileChooser;

namespace Tolva {
class CImageButton;
class DListBox;
} // namespace Tolva

// The profile list beside the mouse key page (layout 501): new, delete, rename, import, export
// and the choice of the active profile. A change of profile makes the window's current profile
// follow, reloads every page and has the worker tell the mouse (task 12 for a choice, task 14
// to resend the buttons after new, delete and import).
class ProfilePage : public ShellPage {
public:
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
    ~ProfilePage() override;

    // Lives on the key page's tab; no page of its own.
    int PageId() const override { return 6; }
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
    void SwitchTo(int profile, int task);
    void OnRenamed(int index);

    Tolva::DListBox* list_ = nullptr;
    Tolva::CImageButton* buttons_[5] = {};
    std::unique_ptr<FileChooser> chooser_;
};
