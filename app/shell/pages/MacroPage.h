#pragma once

#include "app/shell/MacroEvent.h"
#include "app/shell/MacroRecorder.h"
#include "app/shell/pages/ShellPage.h"
#include "ui/platform/Geometry.h"

#include <memory>
#include <string>
#include <vector>

class Clock;
class FileChooser;

namespace Tolva {
class CImageButton;
class CRadioButton;
class CRecordList;
class DListBox;
class MButton;
class MComboBox;
class MControl;
class MControlFont;
class MEdit;
class MText;
class MenuWnd;
} // namespace Tolva

// The macro page (layout 53; page 7 of the mouse family, page 2 of the keyboards): the list of
// macros with new, delete, rename, copy, import and export; an entry area that composes single
// events; the playback settings; recording from the window's key events; and the record list
// with its event commands.
//
// Input: key events arrive as ShellPage::kKeyEvent. For the single-key entry the page also takes
// the window's mouse-button messages in OnWindowMessage (WM_LBUTTONDOWN to WM_MBUTTONUP and
// WM_XBUTTONDOWN / WM_XBUTTONUP with the button in the high word of wparam, lparam the client
// point), which the window hands to the pages the way it hands them key events; or as WM_INPUT
// with wparam = MakeWParam(that message, side button 1 or 2) and the same lparam.
class MacroPage : public ShellPage {
public:
    static constexpr unsigned kLayoutId = 53;

    // Controls (both device families share them).
    static constexpr unsigned kMenuButtonId = 90;
    static constexpr unsigned kKeyRadioId = 93;
    static constexpr unsigned kButtonRadioId = 94;
    static constexpr unsigned kDelayRadioId = 95;
    static constexpr unsigned kKeyEditId = 96;
    static constexpr unsigned kPositionComboId = 97;
    static constexpr unsigned kButtonComboId = 98;
    static constexpr unsigned kDelayEditId = 99;
    static constexpr unsigned kNewId = 100;
    static constexpr unsigned kDeleteId = 101;
    static constexpr unsigned kListId = 102;
    static constexpr unsigned kImportId = 103;
    static constexpr unsigned kExportId = 104;
    static constexpr unsigned kRenameId = 105;
    static constexpr unsigned kPlayTimesEditId = 106;
    static constexpr unsigned kFixedDelayEditId = 107;
    static constexpr unsigned kRecordedDelaysId = 108;
    static constexpr unsigned kNoDelaysId = 109;
    static constexpr unsigned kFixedDelayId = 110;
    static constexpr unsigned kLoopCountId = 111;
    static constexpr unsigned kLoopHeldId = 112;
    static constexpr unsigned kLoopToggleId = 113;
    static constexpr unsigned kInsertId = 114;
    static constexpr unsigned kCopyId = 115;
    static constexpr unsigned kStartId = 116;
    static constexpr unsigned kStopId = 117;
    static constexpr unsigned kRecordLabelId = 118;
    static constexpr unsigned kFocusNoteId = 119;
    static constexpr unsigned kMoveUpId = 121;
    static constexpr unsigned kMoveDownId = 122;
    static constexpr unsigned kDeleteEventId = 123;
    static constexpr unsigned kEditDelayId = 124;
    static constexpr unsigned kRecordListId = 128;
    static constexpr unsigned kSaveEventsId = 129;

    // The list's menu posts its choice as this message, lparam = the command.
    static constexpr uint32_t kMenuMessage = 1827;
    static constexpr int kMenuNew = 600;
    static constexpr int kMenuDelete = 605;
    static constexpr int kMenuRemember = 606;
    static constexpr int kMenuImport = 607;
    static constexpr int kMenuExport = 608;
    static constexpr int kMenuRename = 609;
    static constexpr int kMenuCopy = 610;

    // Where a composed event goes (the position combo's choices, in order).
    enum class InsertAt { After = 0, Before = 1, End = 2 };

    static constexpr int kMinPlayTimes = 1;
    static constexpr int kMaxPlayTimes = 99;
    static constexpr int kDefaultFixedDelay = 10;

    // The recorder measures pauses on `clock` (the monotonic clock in the program).
    explicit MacroPage(PageHost& host);
    MacroPage(PageHost& host, Clock& clock);
    ~MacroPage() override;

    int PageId() const override;
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    bool OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

    // The file dialog of import and export; null (the default) uses the desktop's dialog.
    // Not owned.
    void SetFileChooser(FileChooser* chooser) { chooser_ = chooser; }

    // 0 idle, 1 recording, 2 single-key entry.
    int Mode() const { return mode_; }
    int SelectedMacro() const { return selected_; }
    const MacroRecorder& Recorder() const { return recorder_; }
    // The events the record list shows, in order.
    std::vector<MacroEvent> ShownEvents() const;
    // The list's menu while it is open or after it closed (null before the first).
    Tolva::MenuWnd* Menu() const { return menu_.get(); }

    // Commands as the controls run them (the page's own tests and tools use them too).
    bool NewMacro();
    bool CopyMacro();
    bool DeleteMacro();
    bool RenameMacro(); // opens the list's editor on the selected macro
    bool ImportMacro();
    bool ExportMacro();
    void SelectMacro(int macroId);
    bool SaveSettings();
    bool SaveEvents();
    bool StartRecording();
    void StopRecording();
    bool InsertComposedEvent();

private:
    Tolva::MControl* Make(const char* className, unsigned id, const Tolva::Rect& rect);
    Tolva::MText* Label(const Tolva::Rect& rect, int fontSize = 10, unsigned id = 0);
    Tolva::MButton* PushButton(unsigned id, const Tolva::Rect& rect);
    Tolva::CRadioButton* Radio(unsigned id, const Tolva::Rect& rect, const char* group);
    Tolva::MEdit* Edit(unsigned id, const Tolva::Rect& rect, bool numbers);

    void FillList(int selectId);
    std::vector<std::string> TakenNames() const;
    int AddMacroToList(int macroId, const std::string& name);
    void ResetSettingsView();
    void ShowMacro(int macroId);
    void ShowEntryKind(unsigned radioId);
    void UpdateDelayEdit();
    int CheckedDelayType() const;
    int CheckedLoopType() const;
    int ReadPlayTimes();
    int ReadFixedDelay() const;
    void ShowRecordingState(bool recording);
    void OnKeyEvent(Tolva::WPARAM wparam, Tolva::LPARAM lparam);
    void OnMouseButton(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam);
    void SetEntry(const std::string& name, int code, bool button);
    void MirrorLastRecorded();
    void MoveEvent(int step);
    void DeleteEvent();
    void EditEventDelay();
    void OnRenamed(int index);
    void OpenMenu(Tolva::Point screen);
    // Every button that played the macro gets its own function back; true when the shown
    // profile had one.
    bool ResetButtonsPlaying(int macroId);
    void AnnounceMacros();
    FileChooser& Chooser();

    Clock& clock_;
    MacroRecorder recorder_;
    FileChooser* chooser_ = nullptr;
    std::unique_ptr<FileChooser> nativeChooser_;
    std::unique_ptr<Tolva::MenuWnd> menu_;
    bool menuChoicePending_ = false;
    int mode_ = 0;
    int selected_ = 0;

    // The composed entry: the key or button chosen for the key edit.
    std::string entryName_;
    int entryCode_ = 0;
    bool entryIsButton_ = false;

    Tolva::MText* listHeading_ = nullptr;
    Tolva::MButton* menuButton_ = nullptr;
    Tolva::DListBox* list_ = nullptr;
    Tolva::MButton* newButton_ = nullptr;
    Tolva::MButton* deleteButton_ = nullptr;
    Tolva::MButton* renameButton_ = nullptr;
    Tolva::MButton* copyButton_ = nullptr;
    Tolva::MButton* importButton_ = nullptr;
    Tolva::MButton* exportButton_ = nullptr;

    Tolva::MText* entryHeading_ = nullptr;
    Tolva::MComboBox* positionCombo_ = nullptr;
    Tolva::CRadioButton* keyRadio_ = nullptr;
    Tolva::CRadioButton* buttonRadio_ = nullptr;
    Tolva::CRadioButton* delayRadio_ = nullptr;
    Tolva::MEdit* keyEdit_ = nullptr;
    Tolva::MComboBox* buttonCombo_ = nullptr;
    Tolva::MEdit* delayEdit_ = nullptr;
    Tolva::MText* msLabel_ = nullptr;
    Tolva::MButton* insertButton_ = nullptr;

    Tolva::MText* playTimesLabel_ = nullptr;
    Tolva::MEdit* playTimesEdit_ = nullptr;
    Tolva::CRadioButton* delayTypeRadios_[3] = {};
    Tolva::MEdit* fixedDelayEdit_ = nullptr;
    Tolva::CRadioButton* loopRadios_[3] = {};

    Tolva::MButton* startButton_ = nullptr;
    Tolva::MButton* stopButton_ = nullptr;
    Tolva::MText* recordLabel_ = nullptr;
    Tolva::MText* focusNote_ = nullptr;

    Tolva::MText* columnHeadings_[3] = {};
    Tolva::CRecordList* records_ = nullptr;
    Tolva::CImageButton* editDelayButton_ = nullptr;
    Tolva::CImageButton* upButton_ = nullptr;
    Tolva::CImageButton* downButton_ = nullptr;
    Tolva::CImageButton* deleteEventButton_ = nullptr;
    Tolva::MButton* saveButton_ = nullptr;

    // Everything a recording disables, with the enabled state each had.
    std::vector<std::pair<Tolva::MControl*, bool>> disabledForRecording_;
};
