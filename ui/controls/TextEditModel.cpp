#include "ui/controls/TextEditModel.h"

#include <algorithm>

namespace Tolva {
namespace {

bool IsWordChar(char32_t c) {
    if (c >= 0x80) return c != 0x3000 && c != 0x00A0; // letters of other scripts, not spaces
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

} // namespace

std::u32string TextEditModel::Decode(const std::string& s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int len = c < 0x80           ? 1
                        : (c >> 5) == 0x6  ? 2
                        : (c >> 4) == 0xE  ? 3
                        : (c >> 3) == 0x1E ? 4
                                           : 0;
        if (len == 0 || i + len > s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? c : c & (0xFF >> (len + 1));
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are not characters.
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kMin[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) ok = false;
        out.push_back(ok ? cp : 0xFFFD);
        i += ok ? len : 1;
    }
    return out;
}

std::string TextEditModel::Encode(const std::u32string& text, size_t from, size_t count) {
    std::string out;
    const size_t end = std::min(text.size(), from + std::min(count, text.size()));
    out.reserve(end > from ? end - from : 0);
    for (size_t i = from; i < end; ++i) {
        const char32_t c = text[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string TextEditModel::Encode(const std::u32string& text) {
    return Encode(text, 0, text.size());
}

std::u32string TextEditModel::Clean(const std::string& utf8) const {
    const std::u32string in = Decode(utf8);
    std::u32string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        if (c == '\r') {
            if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
            c = '\n';
        }
        if (c == '\n' && !multiLine_) continue;
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) continue;
        if (accept_ && !accept_(c)) continue;
        out.push_back(c);
    }
    return out;
}

int TextEditModel::Clamp(int pos) const {
    return std::clamp(pos, 0, GetLength());
}

void TextEditModel::SetText(const std::string& utf8) {
    std::u32string t = Clean(utf8);
    if (limit_ > 0 && t.size() > static_cast<size_t>(limit_)) t.resize(limit_);
    if (t != text_) ++revision_;
    text_ = std::move(t);
    anchor_ = caret_ = GetLength();
    EmptyUndoBuffer();
}

std::string TextEditModel::GetText() const {
    return Encode(text_);
}

std::string TextEditModel::GetTextRange(int from, int to) const {
    from = Clamp(from);
    to = Clamp(to);
    if (to <= from) return {};
    return Encode(text_, from, to - from);
}

void TextEditModel::SetLimit(int maxChars) {
    limit_ = std::max(0, maxChars);
}

void TextEditModel::GetSel(int& start, int& end) const {
    start = std::min(anchor_, caret_);
    end = std::max(anchor_, caret_);
}

void TextEditModel::SetSel(int start, int end) {
    const int n = GetLength();
    groupOpen_ = false;
    if (start < 0) {
        anchor_ = caret_ = std::max(anchor_, caret_);
        return;
    }
    if (end < 0 || end > n) end = n;
    anchor_ = std::min(start, n);
    caret_ = end;
}

std::string TextEditModel::GetSelText() const {
    int s = 0, e = 0;
    GetSel(s, e);
    return GetTextRange(s, e);
}

void TextEditModel::MoveCaret(int pos, bool extend) {
    caret_ = Clamp(pos);
    if (!extend) anchor_ = caret_;
    groupOpen_ = false;
}

int TextEditModel::Replace(int from, int to, std::u32string insert, bool canUndo, Kind kind) {
    from = Clamp(from);
    to = std::clamp(to, from, GetLength());
    if (limit_ > 0) {
        const long keep = GetLength() - (to - from);
        const long room = std::max(0L, static_cast<long>(limit_) - keep);
        if (static_cast<long>(insert.size()) > room) insert.resize(room);
    }
    if (from == to && insert.empty()) return 0;

    Step step;
    step.pos = from;
    step.removed = text_.substr(from, to - from);
    step.inserted = insert;
    step.anchorBefore = anchor_;
    step.caretBefore = caret_;
    text_.replace(from, to - from, insert);
    ++revision_;
    anchor_ = caret_ = from + static_cast<int>(insert.size());
    step.anchorAfter = anchor_;
    step.caretAfter = caret_;
    redo_.clear();
    if (!canUndo) {
        // An edit that cannot be undone leaves earlier steps pointing at the wrong text.
        undo_.clear();
        groupOpen_ = false;
        return static_cast<int>(insert.size());
    }

    bool merged = false;
    if (groupOpen_ && !undo_.empty() && kind == lastKind_) {
        Step& prev = undo_.back();
        if (kind == Kind::Typing && step.removed.empty() &&
            prev.pos + static_cast<int>(prev.inserted.size()) == from && insert != U"\n") {
            prev.inserted += insert;
            merged = true;
        } else if (kind == Kind::Erasing && insert.empty() && prev.inserted.empty()) {
            if (to == prev.pos) { // backspace again
                prev.removed = step.removed + prev.removed;
                prev.pos = from;
                merged = true;
            } else if (from == prev.pos) { // delete again
                prev.removed += step.removed;
                merged = true;
            }
        }
        if (merged) {
            prev.anchorAfter = anchor_;
            prev.caretAfter = caret_;
        }
    }
    if (!merged) {
        undo_.push_back(std::move(step));
        if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
    }
    lastKind_ = kind;
    groupOpen_ = kind != Kind::Other;
    return static_cast<int>(insert.size());
}

int TextEditModel::ReplaceSel(const std::string& utf8, bool canUndo) {
    int s = 0, e = 0;
    GetSel(s, e);
    groupOpen_ = false;
    return Replace(s, e, Clean(utf8), canUndo, Kind::Other);
}

int TextEditModel::InsertText(int pos, const std::string& utf8, bool canUndo) {
    pos = Clamp(pos);
    const int anchor = anchor_, caret = caret_;
    groupOpen_ = false;
    const int added = Replace(pos, pos, Clean(utf8), canUndo, Kind::Other);
    // The selection stays on the characters it covered.
    anchor_ = anchor >= pos ? anchor + added : anchor;
    caret_ = caret >= pos ? caret + added : caret;
    if (canUndo && !undo_.empty() && added > 0) {
        undo_.back().anchorAfter = anchor_;
        undo_.back().caretAfter = caret_;
    }
    return added;
}

int TextEditModel::Type(const std::string& utf8) {
    if (readOnly_) return -1;
    int s = 0, e = 0;
    GetSel(s, e);
    return Replace(s, e, Clean(utf8), true, Kind::Typing);
}

int TextEditModel::Paste(const std::string& utf8) {
    if (readOnly_) return -1;
    groupOpen_ = false;
    int s = 0, e = 0;
    GetSel(s, e);
    return Replace(s, e, Clean(utf8), true, Kind::Other);
}

int TextEditModel::Erase(bool forward, bool word) {
    if (readOnly_) return -1;
    int s = 0, e = 0;
    GetSel(s, e);
    if (s == e) {
        if (forward)
            e = word ? WordRight(caret_) : std::min(caret_ + 1, GetLength());
        else
            s = word ? WordLeft(caret_) : std::max(caret_ - 1, 0);
    } else {
        groupOpen_ = false;
    }
    if (s == e) return 0;
    const uint64_t before = revision_;
    Replace(s, e, {}, true, Kind::Erasing);
    return revision_ != before ? 1 : 0;
}

std::string TextEditModel::Cut() {
    if (readOnly_ || !HasSelection()) return {};
    const std::string cut = GetSelText();
    int s = 0, e = 0;
    GetSel(s, e);
    groupOpen_ = false;
    Replace(s, e, {}, true, Kind::Other);
    return cut;
}

bool TextEditModel::Undo() {
    if (readOnly_ || undo_.empty()) return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    text_.replace(step.pos, step.inserted.size(), step.removed);
    anchor_ = Clamp(step.anchorBefore);
    caret_ = Clamp(step.caretBefore);
    ++revision_;
    redo_.push_back(std::move(step));
    groupOpen_ = false;
    return true;
}

bool TextEditModel::Redo() {
    if (readOnly_ || redo_.empty()) return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    text_.replace(step.pos, step.removed.size(), step.inserted);
    anchor_ = Clamp(step.anchorAfter);
    caret_ = Clamp(step.caretAfter);
    ++revision_;
    undo_.push_back(std::move(step));
    groupOpen_ = false;
    return true;
}

void TextEditModel::EmptyUndoBuffer() {
    undo_.clear();
    redo_.clear();
    groupOpen_ = false;
}

int TextEditModel::WordLeft(int pos) const {
    pos = Clamp(pos);
    while (pos > 0 && !IsWordChar(text_[pos - 1]))
        --pos;
    while (pos > 0 && IsWordChar(text_[pos - 1]))
        --pos;
    return pos;
}

int TextEditModel::WordRight(int pos) const {
    pos = Clamp(pos);
    const int n = GetLength();
    while (pos < n && IsWordChar(text_[pos]))
        ++pos;
    while (pos < n && !IsWordChar(text_[pos]))
        ++pos;
    return pos;
}

int TextEditModel::LineStart(int pos) const {
    pos = Clamp(pos);
    while (pos > 0 && text_[pos - 1] != '\n')
        --pos;
    return pos;
}

int TextEditModel::LineEnd(int pos) const {
    pos = Clamp(pos);
    const int n = GetLength();
    while (pos < n && text_[pos] != '\n')
        ++pos;
    return pos;
}

void TextEditModel::WordAt(int pos, int& from, int& to) const {
    pos = Clamp(pos);
    from = to = pos;
    const int n = GetLength();
    if (pos < n && IsWordChar(text_[pos])) {
        while (from > 0 && IsWordChar(text_[from - 1]))
            --from;
        while (to < n && IsWordChar(text_[to]))
            ++to;
    } else if (pos < n) {
        to = pos + 1;
    }
}

} // namespace Tolva
