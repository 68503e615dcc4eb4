#include "ui/platform/NativeEdit.h"

#include <algorithm>
#include <vector>

namespace Tolva {

namespace {

std::u32string Decode(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) { // broken byte: keep it visible as U+FFFD
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? c : c & (0xFF >> (len + 1));
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        out.push_back(ok ? cp : 0xFFFD);
        i += ok ? len : 1;
    }
    return out;
}

std::string Encode(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) {
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

} // namespace

EditListener::~EditListener() = default;

NativeEdit::~NativeEdit() = default;

void NativeEdit::SetRect(const Rect& client) {
    rect_ = client;
}

void NativeEdit::SetText(const std::string& text) {
    text_ = text;
}

void NativeEdit::Show(bool show) {
    visible_ = show;
}

void NativeEdit::SetColors(uint32_t text, uint32_t back) {
    textColor_ = text;
    backColor_ = back;
}

void NativeEdit::SetFont(const std::string& family, int pixelSize, bool bold) {
    fontFamily_ = family;
    fontPixels_ = pixelSize > 0 ? pixelSize : fontPixels_;
    bold_ = bold;
}

void NativeEdit::SetLimit(int maxChars) {
    limit_ = std::max(0, maxChars);
}

void NativeEdit::SetNumberOnly(bool on) {
    numberOnly_ = on;
}

void NativeEdit::SetReadOnly(bool on) {
    readOnly_ = on;
}

void NativeEdit::SetPasswordChar(char32_t c) {
    passwordChar_ = c;
}

void NativeEdit::SetAlignment(int align) {
    align_ = std::clamp(align, 0, 2);
}

std::string NativeEdit::FilterEdit(const std::string& current, int from, int to,
                                   const std::string& insert) const {
    std::u32string cur = Decode(current);
    if (readOnly_) return Encode(cur);
    int n = static_cast<int>(cur.size());
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    std::u32string add;
    for (char32_t c : Decode(insert)) {
        if (c == U'\r' || c == U'\n') continue; // single line
        if (numberOnly_ && (c < U'0' || c > U'9')) continue;
        add.push_back(c);
    }
    size_t keep = cur.size() - static_cast<size_t>(to - from);
    if (limit_ > 0) {
        size_t room = keep >= static_cast<size_t>(limit_) ? 0 : static_cast<size_t>(limit_) - keep;
        if (add.size() > room) add.resize(room);
    }
    cur.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), add);
    return Encode(cur);
}

} // namespace Tolva
