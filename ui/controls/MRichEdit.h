#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/TextEditModel.h"
#include "ui/core/MPanel.h"

#include <pango/pango.h>

#include <string>
#include <vector>

namespace Tolva {

// A windowless text editor drawn with pango into the control's cache: selection with the mouse
// and the keys, undo, the clipboard, read-only, password, a length limit, scrolling, the window's
// caret, and text from input methods (committed text and the pre-edit string, underlined at the
// caret). Positions count characters (code points). Sends 1 on a press and 2 on a release inside.
class TOLVA_API MRichEdit : public MPanel {
public:
    MRichEdit(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
              bool visible = true, bool enabled = true);
    ~MRichEdit() override;

    const char* GetObjectClass() const override { return "MRichEdit"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlFocus(bool focus) override;
    void SetControlRect(const Rect& rect) override;
    void SetControlVisible(bool visible) override;
    void SetControlEnabled(bool enabled) override;
    LRESULT OnWindowMessage(unsigned msg, WPARAM wparam, LPARAM lparam) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) override;
    // The title is the text.
    void SetControlTitle(const std::string& text) override;
    std::string GetControlTitle() const override;
    void SetTextColor(uint32_t argb) override;

    // Text. SetText forgets the undo history.
    void SetText(const std::string& text);
    std::string GetText() const { return model_.GetText(); }
    int GetTextLength() const { return model_.GetLength(); }
    // Inserts at `pos` (clamped), or appends; returns the characters inserted.
    int InsertText(int pos, const std::string& text, bool canUndo = true);
    int AppendText(const std::string& text, bool canUndo = true);

    // Selection, as TextEditModel::SetSel: (0, -1) all, negative start none, beyond the end
    // the end.
    void GetSel(int& start, int& end) const { model_.GetSel(start, end); }
    void SetSel(int start, int end);
    std::string GetSelText() const { return model_.GetSelText(); }
    // Replaces the selection (also in a read-only editor); returns the characters inserted.
    int ReplaceSel(const std::string& text, bool canUndo = true);
    bool Undo();
    bool Redo();
    bool CanUndo() const { return model_.CanUndo(); }
    bool CanRedo() const { return model_.CanRedo(); }
    void EmptyUndoBuffer() { model_.EmptyUndoBuffer(); }
    // Clipboard. Copy and Cut refuse (false) in a password editor or without a selection; Cut
    // and Paste refuse in a read-only one.
    bool Copy();
    bool Cut();
    bool Paste();
    // Deletes the selection (the person's edit rules).
    bool Clear();

    void SetReadOnly(bool on);
    bool IsReadOnly() const { return model_.IsReadOnly(); }
    // The text is drawn as one mask character per character.
    void SetPassword(bool on);
    bool IsPassword() const { return password_; }
    void SetPasswordChar(char32_t c);
    // Characters; 0 = no limit. Longer text already there stays.
    void SetLimitText(int maxChars) { model_.SetLimit(maxChars); }
    int GetLimitText() const { return model_.GetLimit(); }
    // Multi-line editors wrap at the width and take Return; single-line ones (the default for
    // the field variants) scroll sideways.
    void SetMultiLine(bool on);
    bool IsMultiLine() const { return model_.IsMultiLine(); }
    void SetNumberOnly(bool on);
    // Scrolls by whole lines (multi-line) or by character widths; false when nothing moved.
    bool LineScroll(int lines, int chars = 0);
    int GetLineCount();
    int GetFirstVisibleLine();
    int LineFromChar(int pos);
    // Pixels the content is scrolled by.
    Point GetScrollPos() const { return {scrollX_, scrollY_}; }

    // Looks. Colours are ARGB.
    void SetBkColor(uint32_t argb);
    void SetBorderColor(uint32_t normal, uint32_t focused);
    void SetSelectionColor(uint32_t argb);
    // Insets of the text inside the control.
    void SetTextPadding(int left, int top, int right, int bottom);
    // Shown while the editor is empty.
    void SetTipText(const std::string& text, uint32_t argb = 0xFF6A7078);
    std::string GetTipText() const { return tipText_; }

    // Character under a point (window coordinates, as the control's rectangle) and the caret's
    // rectangle in the same coordinates.
    int CharFromPos(Point pt);
    Rect GetCaretRect();
    // The input method's pre-edit string shown at the caret.
    std::string GetPreedit() const { return TextEditModel::Encode(preedit_); }
    const TextEditModel& Model() const { return model_; }

protected:
    // Where the text goes, in the control's coordinates (GetRect() less the padding).
    virtual Rect TextBox() const;
    // Called after every change of the text (typed, pasted, set).
    virtual void OnTextChanged() {}
    // Drawn under the text into the cache (local coordinates, 0,0 = control's top-left).
    virtual void DrawBackground(cairo_t* cr, const Rect& local);
    // Drawn over the text (icons, buttons of variants).
    virtual void DrawDecoration(cairo_t* cr, const Rect& local) {}
    TextEditModel& EditModel() { return model_; }
    // Redraws after a change of the text or the selection and keeps the caret in view.
    void Changed(bool textChanged);
    bool IsHover() const { return hover_; }

private:
    void EnsureLayout();
    void FreeLayout();
    // Top-left of the layout inside the control's cache.
    Point LayoutOrigin();
    int DisplayIndex(int modelPos) const;
    int ByteOfDisplay(int displayPos) const;
    int ModelFromByte(int byte) const;
    int CaretByte() const;
    Rect CaretLocal();
    void EnsureCaretVisible();
    void UpdateCaret();
    void ClampScroll();
    // Window coordinates of the control's top-left corner (panels may scroll it).
    Point WindowOrigin() const;
    void MoveVertically(int lines, bool extend);
    void TakeImeText(LPARAM what);
    void SetTextInput(bool on);

    TextEditModel model_;
    std::u32string preedit_;
    int preeditCursor_ = 0;
    bool password_ = false;
    char32_t passwordChar_ = U'*';

    PangoContext* context_ = nullptr;
    PangoLayout* layout_ = nullptr;
    bool layoutDirty_ = true;
    uint64_t layoutRevision_ = ~0ull;
    int layoutWidth_ = -1;
    // The face the layout was made with: a change of face, size or style remakes it.
    std::string layoutFontName_;
    int layoutFontSize_ = -1;
    int layoutFontStyle_ = -1;
    std::vector<int> byteOf_; // display character -> byte offset in the layout's text

    int scrollX_ = 0;
    int scrollY_ = 0;
    int desiredX_ = -1; // pango units, kept across up/down moves
    bool selecting_ = false;
    bool pressedInside_ = false;
    bool hover_ = false;
    bool textInput_ = false;
    uint64_t lastPressMs_ = 0;
    int lastPressPos_ = -1;

    uint32_t bkColor_ = 0xFF101317;
    uint32_t borderColor_ = 0xFF3A3F47;
    uint32_t focusBorderColor_ = 0xFF10A8FD;
    uint32_t selectionColor_ = 0xFF10A8FD;
    uint32_t tipColor_ = 0xFF6A7078;
    std::string tipText_;
    int padLeft_ = 6, padTop_ = 4, padRight_ = 6, padBottom_ = 4;
};

} // namespace Tolva
