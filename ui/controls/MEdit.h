#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"
#include "ui/platform/NativeEdit.h"

#include <memory>
#include <string>

namespace Tolva {

// A single-line text field drawn windowless; a press opens the native edit box over its text and
// Return, leaving the box or a press elsewhere closes it (Escape drops the change). Sends 1 on a
// press that opens the box, 30 when it shows, 26 when a closed box leaves a changed text, 29 when
// it closes, 2 on a release inside; a press on the icon sends 9 and its release there 31.
class TOLVA_API MEdit : public MControlFont, public EditListener {
public:
    MEdit(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
          bool visible = true, bool enabled = true);
    ~MEdit() override;

    const char* GetObjectClass() const override { return "MEdit"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    void SetControlFocus(bool focus) override;
    void SetControlVisible(bool visible) override;
    void SetControlEnabled(bool enabled) override;
    void SetControlRect(const Rect& rect) override;
    // The title is the text.
    void SetControlTitle(const std::string& text) override;
    std::string GetControlTitle() const override { return GetEditText(); }

    // Replaces the text (an open box too); sends nothing.
    void SetEditText(const std::string& text);
    // The text; while the box is open, what it holds now.
    std::string GetEditText() const;
    // Characters; 0 = no limit.
    void SetLimitText(int maxChars);
    void SetNumberOnly(bool on);
    void SetReadOnly(bool on);
    void EnablePassWord(bool on);
    void SetPassWordChar(char32_t c);
    // Draws the text wrapped; the box still edits one line.
    void EnableMultLine(bool on);
    // 0x00BBGGRR, for the field and the box.
    void SetEditBKColor(uint32_t colorRef);
    // Size in points.
    void SetEditFont(const std::string& name, int size, bool bold = false);
    // Icon strip (normal, hover, pressed, disabled) at the right end, or in SetIconRect's place.
    // Returns 0 when the image cannot be loaded.
    int SetIconImage(const std::string& file, int frames = 4);
    // Relative to the control's top-left corner; empty: the default place.
    void SetIconRect(const Rect& rect);
    Rect GetIconRect() const;
    // Where the text goes, relative to the control's top-left corner; empty: the default.
    void SetTextRect(const Rect& rect);
    Rect GetTextRect() const;
    // Shown while the text is empty and the box is closed (ARGB).
    void SetTipInfo(const std::string& text, uint32_t argb = 0xFF6A7078);
    // Every change typed into the box sends 26 at once, not only on closing.
    void EnableCharMessage(bool on) { charMessage_ = on; }

    bool ShowEdit();
    // Closes an open box, keeping (commit) or dropping its change.
    void CloseEdit(bool commit);
    bool IsEditShown() const { return editing_; }
    NativeEdit* GetNativeEdit() const { return edit_.get(); }

    void OnEditChanged(NativeEdit& edit) override;
    void OnEditFocusLost(NativeEdit& edit) override;
    bool OnEditKey(NativeEdit& edit, int virtualKey) override;

private:
    // In window coordinates (panels may scroll the control).
    Rect ToWindow(const Rect& r) const;
    Rect TextArea() const;
    std::string ShownText() const;
    void ApplyEditSettings();

    std::string text_;
    std::string original_;
    std::unique_ptr<NativeEdit> edit_;
    bool editing_ = false;
    bool closing_ = false;
    bool changedByUser_ = false;
    bool charMessage_ = false;
    bool pressed_ = false;
    bool hover_ = false;
    bool iconHover_ = false;
    bool iconPressed_ = false;
    int limit_ = 0;
    bool numberOnly_ = false;
    bool readOnly_ = false;
    bool password_ = false;
    char32_t passwordChar_ = U'*';
    uint32_t bkColor_ = 0x171310; // 0x00BBGGRR
    std::string tip_;
    uint32_t tipColor_ = 0xFF6A7078;
    std::shared_ptr<Image> icon_;
    int iconFrames_ = 4;
    Rect iconRect_;
    Rect textRect_;
};

} // namespace Tolva
