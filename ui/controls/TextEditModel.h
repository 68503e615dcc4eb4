#pragma once

#include "ui/TolvaApi.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tolva {

// The text of an editor without its looks: the characters, the selection and the undo history.
// Positions and limits count code points; text goes in and out as UTF-8, and broken bytes come
// in as U+FFFD. Lines end with "\n" ("\r\n" and "\r" are turned into it).
class TOLVA_API TextEditModel {
public:
    // Replaces the whole text (cut to the limit), puts the caret at the end and forgets the
    // undo history.
    void SetText(const std::string& utf8);
    std::string GetText() const;
    const std::u32string& Text() const { return text_; }
    int GetLength() const { return static_cast<int>(text_.size()); }
    // The characters from `from` to `to` (clamped; empty when reversed).
    std::string GetTextRange(int from, int to) const;

    // 0 = no limit. Text already longer stays; only insertions are cut.
    void SetLimit(int maxChars);
    int GetLimit() const { return limit_; }
    // Read-only refuses the person's edits (Type, Erase, Cut, Undo); programmatic ones still work.
    void SetReadOnly(bool on) { readOnly_ = on; }
    bool IsReadOnly() const { return readOnly_; }
    // Without multi-line, line breaks are dropped from inserted text.
    void SetMultiLine(bool on) { multiLine_ = on; }
    bool IsMultiLine() const { return multiLine_; }
    // Characters for which this answers false are dropped from inserted text (null: all pass).
    void SetCharFilter(std::function<bool(char32_t)> accept) { accept_ = std::move(accept); }

    // Selection: the anchor stays where it began, the caret is where it moves. GetSel gives the
    // ordered pair. SetSel(0, -1) selects all; a negative start removes the selection, leaving
    // the caret at its end; positions beyond the text mean its end.
    void GetSel(int& start, int& end) const;
    int GetCaret() const { return caret_; }
    int GetAnchor() const { return anchor_; }
    bool HasSelection() const { return caret_ != anchor_; }
    void SetSel(int start, int end);
    void SelectAll() { SetSel(0, -1); }
    std::string GetSelText() const;
    // Moves the caret to `pos` (clamped); `extend` keeps the anchor.
    void MoveCaret(int pos, bool extend);

    // Programmatic replacement of the selection. Returns the number of characters inserted
    // after the filter and the limit.
    int ReplaceSel(const std::string& utf8, bool canUndo = true);
    // Inserts at `pos` (clamped) without touching the selection except to keep it on its text.
    int InsertText(int pos, const std::string& utf8, bool canUndo = true);
    int AppendText(const std::string& utf8, bool canUndo = true) {
        return InsertText(GetLength(), utf8, canUndo);
    }

    // The person's edits. Type replaces the selection; consecutive typing is undone at once.
    // Each returns -1 when refused (read only), else what Type/ReplaceSel return or 1/0.
    int Type(const std::string& utf8);
    int Paste(const std::string& utf8);
    // Backspace (forward false) or Delete; `word` takes the word before or after the caret.
    int Erase(bool forward, bool word);
    // Removes the selection and returns its text ("" when nothing was cut).
    std::string Cut();

    bool Undo();
    bool Redo();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    void EmptyUndoBuffer();
    // Later edits join no earlier typing step (the caret moved, focus changed).
    void BreakUndoGroup() { groupOpen_ = false; }

    // Movement helpers for the editor.
    int WordLeft(int pos) const;
    int WordRight(int pos) const;
    int LineStart(int pos) const;
    int LineEnd(int pos) const;
    // The word around `pos` as [from, to).
    void WordAt(int pos, int& from, int& to) const;

    // Bumped by every change of the text.
    uint64_t Revision() const { return revision_; }

    // UTF-8 helpers shared with the editors.
    static std::u32string Decode(const std::string& utf8);
    static std::string Encode(const std::u32string& text);
    static std::string Encode(const std::u32string& text, size_t from, size_t count);

private:
    enum class Kind { Other, Typing, Erasing };
    struct Step {
        int pos = 0;
        std::u32string removed;
        std::u32string inserted;
        int anchorBefore = 0, caretBefore = 0;
        int anchorAfter = 0, caretAfter = 0;
    };

    // Line breaks normalised, filter applied.
    std::u32string Clean(const std::string& utf8) const;
    // Replaces [from, to) with `insert` cut to the limit; records undo. Returns inserted count.
    int Replace(int from, int to, std::u32string insert, bool canUndo, Kind kind);
    int Clamp(int pos) const;

    std::u32string text_;
    int anchor_ = 0;
    int caret_ = 0;
    int limit_ = 0;
    bool readOnly_ = false;
    bool multiLine_ = true;
    std::function<bool(char32_t)> accept_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    Kind lastKind_ = Kind::Other;
    bool groupOpen_ = false;
    uint64_t revision_ = 0;
    static constexpr size_t kUndoDepth = 200;
};

} // namespace Tolva
